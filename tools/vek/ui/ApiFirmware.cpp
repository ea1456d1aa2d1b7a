// Firmware update from an uploaded image: erase, transfer, restart, then
// the console connects again and downloads the definitions anew.
#include "Routes.hpp"

#include "VekLib.h"

namespace vektool::ui {

void AddFirmwareApi(httplib::Server& server, ConsoleParts& parts) {
    Governor& governor = parts.governor;
    server.Post("/api/firmware", [&](const httplib::Request& request, httplib::Response& response) {
        if (request.body.empty()) return Send(response, ErrorReply("the firmware image is empty", kBadRequest));
        Send(response, governor.CallConnected([&] {
            return governor.WithProgress("Updating the firmware", [&] {
                const auto* image = reinterpret_cast<const uint8_t*>(request.body.data());
                if (!VekUploadFirmwareFromBuffer(image, static_cast<uint32_t>(request.body.size()))) {
                    return governor.Refused("the firmware upload failed");
                }
                governor.OnStage("Connecting again");
                VekClearParDefs();  // the new firmware may define other values
                if (!governor.ConnectAgain()) return governor.Refused("the governor did not come back");
                return JsonReply(Json{{"uploaded", request.body.size()}});
            });
        }));
    });
}

}  // namespace vektool::ui
