#include "Routes.hpp"

#include <cstdlib>

namespace vektool::ui {

namespace {

constexpr std::size_t kLongestNumber = 10;  // digits of 4294967295

}  // namespace

void Send(httplib::Response& response, const Reply& reply) {
    response.status = reply.status;
    if (!reply.fileName.empty()) {
        response.set_header("Content-Disposition", "attachment; filename=\"" + reply.fileName + "\"");
    }
    response.set_content(reply.body, reply.contentType);
}

Json BodyJson(const httplib::Request& request) {
    return Json::parse(request.body, nullptr, false);  // discarded (not an exception) when it is no JSON
}

std::optional<uint32_t> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > kLongestNumber || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(value);
}

}  // namespace vektool::ui
