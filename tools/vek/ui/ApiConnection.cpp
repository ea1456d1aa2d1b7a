// Connection state, device record, connect and disconnect, the merge
// question's answer and the log lines.
#include "Routes.hpp"

namespace vektool::ui {

namespace {

Json ProgressJson(const LongOperations& operations) {
    const std::optional<Progress> progress = operations.Current();
    if (!progress) return nullptr;
    return {{"operation", progress->operation}, {"text", progress->text}, {"permille", progress->permille}};
}

Json StatusJson(ConsoleParts& parts) {
    const GovernorStatus status = parts.governor.Status();
    const TrendConfig trend = parts.trend.Config();
    const std::optional<std::string> question = parts.operations.Question();
    return {{"connection",
             {{"state", LinkStateName(status.state)},
              {"description", status.description},
              {"config", status.config},
              {"simulated", status.simulated},
              {"lastFailure", status.lastFailure},
              {"reconnections", status.reconnections}}},
            {"operation", ProgressJson(parts.operations)},
            {"question", question ? Json(*question) : Json(nullptr)},
            {"trend",
             {{"ids", trend.ids},
              {"names", trend.names},
              {"units", trend.units},
              {"interval", trend.intervalMs},
              {"samples", status.samples},
              {"rate", status.sampleRate},
              {"clients", parts.trend.Clients()}}},
            {"pendingErrors", status.pendingErrors},
            {"log", parts.log.LastNumber()}};
}

Json LogJson(const LogTail& log, uint64_t after) {
    Json lines = Json::array();
    for (const LogLine& line : log.Since(after)) {
        lines.push_back({{"id", line.id}, {"number", line.number}, {"text", line.text}, {"repeats", line.repeats}});
    }
    return {{"lines", lines}, {"last", log.LastNumber()}};
}

}  // namespace

void AddConnectionApi(httplib::Server& server, ConsoleParts& parts) {
    server.Get("/api/status", [&](const httplib::Request&, httplib::Response& response) {
        Send(response, JsonReply(StatusJson(parts)));
    });
    server.Get("/api/device", [&](const httplib::Request&, httplib::Response& response) {
        const GovernorStatus status = parts.governor.Status();
        Send(response, status.device.is_null() ? ErrorReply("the governor was never connected", kUnavailable)
                                               : JsonReply(status.device));
    });
    server.Post("/api/connect", [&](const httplib::Request& request, httplib::Response& response) {
        const Json body = BodyJson(request);
        const std::string port = body.is_object() ? body.value("port", "") : "";
        const uint32_t baud = body.is_object() ? body.value("baud", 0u) : 0u;
        Send(response, parts.governor.Call([&] { return parts.governor.Connect(port, baud); }));
    });
    server.Post("/api/disconnect", [&](const httplib::Request&, httplib::Response& response) {
        Send(response, parts.governor.Call([&] { return parts.governor.Disconnect(); }));
    });
    server.Post("/api/question", [&](const httplib::Request& request, httplib::Response& response) {
        const Json body = BodyJson(request);
        if (!body.is_object() || !body.contains("answer") || !body["answer"].is_boolean()) {
            return Send(response, ErrorReply("send {\"answer\": true or false}", kBadRequest));
        }
        Send(response, parts.operations.Answer(body["answer"].get<bool>())
                           ? JsonReply(Json::object())
                           : ErrorReply("no question is waiting", kConflict));
    });
    server.Get("/api/log", [&](const httplib::Request& request, httplib::Response& response) {
        const std::optional<uint32_t> after = ParseNumber(request.get_param_value("after"));
        Send(response, JsonReply(LogJson(parts.log, after.value_or(0))));
    });
}

}  // namespace vektool::ui
