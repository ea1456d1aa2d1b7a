#include "ConsoleServer.hpp"

#include "../ToolError.hpp"

namespace vektool::ui {

namespace {

// Each page holds a trend stream and polls; scripts add their own.
constexpr std::size_t kServerThreads = 32;
constexpr time_t kKeepAliveSeconds = 2;

void AddSafetyHeaders(httplib::Response& response) {
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_header("X-Frame-Options", "DENY");
    response.set_header("Referrer-Policy", "no-referrer");
    response.set_header("Content-Security-Policy",
                        "default-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data: blob:; "
                        "frame-ancestors 'none'");
    if (!response.has_header("Cache-Control")) response.set_header("Cache-Control", "no-store");
}

}  // namespace

ConsoleServer::ConsoleServer(const ListenAddress& address, ConsoleParts& parts) : address_(address) {
    server_.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server_.set_keep_alive_timeout(kKeepAliveSeconds);
    server_.set_payload_max_length(kFirmwareLimit);
    // The library's default shares the port (SO_REUSEPORT): a second console
    // would bind beside the first and take some of its requests.
    server_.set_socket_options([](socket_t socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    port_ = address.port == 0 ? server_.bind_to_any_port(address.host)
                              : (server_.bind_to_port(address.host, address.port) ? address.port : -1);
    if (port_ <= 0) {
        throw ToolError("cannot listen on " + HostPort(address.host, address.port) +
                        ": the port is in use (another vek ui?) or the address is not this computer's;"
                        " --listen 127.0.0.1:0 picks a free port");
    }
    access_ = std::make_unique<Access>(NewToken(), address.host, port_);
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        const Verdict verdict = access_->Check(request);
        if (verdict.status == 0) return httplib::Server::HandlerResponse::Unhandled;
        Send(response, ErrorReply(verdict.reason, verdict.status));
        return httplib::Server::HandlerResponse::Handled;
    });
    server_.set_post_routing_handler([](const httplib::Request&, httplib::Response& response) {
        AddSafetyHeaders(response);
    });
    server_.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty()) {
            Send(response, ErrorReply("HTTP status " + std::to_string(response.status), response.status));
        }
    });
    AddPageRoutes(server_, *access_);
    AddConnectionApi(server_, parts);
    AddValueApi(server_, parts);
    AddFileApi(server_, parts);
    AddErrorApi(server_, parts);
    AddFirmwareApi(server_, parts);
    AddTrendApi(server_, parts);
}

ConsoleServer::~ConsoleServer() { Stop(); }

std::string ConsoleServer::Url() const {
    return "http://" + HostPort(address_.host, port_) + "/?token=" + access_->Token();
}

void ConsoleServer::Start() {
    thread_ = std::thread([this] { server_.listen_after_bind(); });
}

void ConsoleServer::Stop() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
}

}  // namespace vektool::ui
