// The page and its files. The first load brings the token in its query: it
// becomes a cookie, and the browser is sent on to the address without it.
#include "Access.hpp"
#include "Routes.hpp"
#include "WebAssets.hpp"

namespace vektool::ui {

namespace {

constexpr int kSeeOther = 303;
constexpr const char* kPage = "index.html";

void SendAsset(httplib::Response& response, const std::string& name) {
    const WebAsset* asset = FindWebAsset(name);
    if (!asset) return Send(response, ErrorReply("no such file", kNotFound));
    response.set_content(reinterpret_cast<const char*>(asset->data), asset->size, asset->type);
}

}  // namespace

void AddPageRoutes(httplib::Server& server, const Access& access) {
    server.Get("/", [&](const httplib::Request& request, httplib::Response& response) {
        if (access.TokenInQuery(request)) {
            response.set_header("Set-Cookie", access.Cookie());
            response.set_redirect("/", kSeeOther);
            return;
        }
        SendAsset(response, kPage);
    });
    server.Get(R"(/([A-Za-z0-9_.-]+))", [](const httplib::Request& request, httplib::Response& response) {
        SendAsset(response, request.matches[1]);
    });
}

}  // namespace vektool::ui
