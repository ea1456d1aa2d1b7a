// Pending errors and the error memory: read, acknowledge, erase.
#include "RecordJson.hpp"
#include "Routes.hpp"

#include "VekLib.h"

namespace vektool::ui {

void AddErrorApi(httplib::Server& server, ConsoleParts& parts) {
    Governor& governor = parts.governor;
    server.Get("/api/errors/pending", [&](const httplib::Request&, httplib::Response& response) {
        Send(response, governor.CallConnected([&] {
            return VekReadActualErrors() ? JsonReply(PendingErrorsJson())
                                         : governor.Refused("the actual errors could not be read");
        }));
    });
    server.Get("/api/errors/memory", [&](const httplib::Request&, httplib::Response& response) {
        Send(response, governor.CallConnected([&] {
            return VekReadErrorMemory() ? JsonReply(ErrorMemoryJson())
                                        : governor.Refused("the error memory could not be read");
        }));
    });
    server.Post("/api/errors/acknowledge", [&](const httplib::Request& request, httplib::Response& response) {
        const Json body = BodyJson(request);
        if (!body.is_object() || !body.contains("word1") || !body.contains("word2") ||
            !body["word1"].is_number_unsigned() || !body["word2"].is_number_unsigned()) {
            return Send(response, ErrorReply("send {\"word1\": N, \"word2\": N}", kBadRequest));
        }
        const uint32_t word1 = body["word1"];
        const uint32_t word2 = body["word2"];
        Send(response, governor.CallConnected([&] {
            return VekAcknowledgeErrorMemoryItem(word1, word2)
                       ? JsonReply(Json{{"acknowledged", true}})
                       : governor.Refused("the governor did not acknowledge");
        }));
    });
    server.Post("/api/errors/erase", [&](const httplib::Request&, httplib::Response& response) {
        Send(response, governor.CallConnected([&] {
            return VekEraseErrorMemory() ? JsonReply(Json{{"erased", true}})
                                         : governor.Refused("the error memory was not erased");
        }));
    });
}

}  // namespace vektool::ui
