// What an API request gets back: a status, a JSON (or file) body.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace vektool::ui {

using Json = nlohmann::ordered_json;

constexpr int kOk = 200;
constexpr int kBadRequest = 400;
constexpr int kNotFound = 404;
constexpr int kConflict = 409;
constexpr int kTooLarge = 413;
constexpr int kRefused = 422;  // the library or the governor said no
constexpr int kUnavailable = 503;

struct Reply {
    int status = kOk;
    std::string body;
    std::string contentType = "application/json";
    std::string fileName;  // set: the browser saves the body as this file
};

inline Reply JsonReply(const Json& json, int status = kOk) {
    return {status, json.dump(), "application/json", ""};
}

inline Reply ErrorReply(const std::string& reason, int status) {
    return JsonReply(Json{{"error", reason}}, status);
}

}  // namespace vektool::ui
