// Parameter files: the governor's set as a download, and an uploaded file
// previewed against the governor and loaded. The file's bytes come in the
// request body; no request names a file on the server's disk.
#include "FilePreview.hpp"
#include "Routes.hpp"

#include "VekLib.h"

#include <vector>

namespace vektool::ui {

namespace {

// Room for the largest set the library downloads (131072 definitions).
constexpr std::size_t kSaveCapacity = 16u << 20;

Reply Save(Governor& governor) {
    return governor.WithProgress("Saving the parameters", [&] {
        std::vector<char> buffer(kSaveCapacity);
        int32_t size = static_cast<int32_t>(buffer.size());
        if (!VekDownloadPrmBuffer(buffer.data(), &size)) return governor.Refused("the parameters were not saved");
        const VekStruct& device = *VekGetVekStruct();
        return Reply{kOk, std::string(buffer.data(), static_cast<std::size_t>(size)), "application/octet-stream",
                     "governor-" + std::to_string(+device.SoftwareVersion) + ".prm"};
    });
}

Reply Preview(Governor& governor, const std::string& bytes, bool measurements) {
    return governor.WithProgress("Comparing the file with the governor", [&] {
        if (VekReadAllValues() != 0) return governor.Refused("the governor's values could not be read");
        return JsonReply(PreviewParameterFile(bytes, measurements));
    });
}

Reply Load(Governor& governor, const std::string& bytes, bool measurements, bool tolerant) {
    return governor.WithProgress("Loading the parameter file", [&] {
        if (!VekUploadPrmBufferExt(bytes.data(), static_cast<uint32_t>(bytes.size()), measurements, tolerant)) {
            return governor.Refused("the file was not loaded");
        }
        return JsonReply(Json{{"loaded", true}});
    });
}

bool Flag(const httplib::Request& request, const char* name) { return request.get_param_value(name) == "1"; }

}  // namespace

void AddFileApi(httplib::Server& server, ConsoleParts& parts) {
    Governor& governor = parts.governor;
    server.Get("/api/files/save", [&](const httplib::Request&, httplib::Response& response) {
        Send(response, governor.CallConnected([&] { return Save(governor); }));
    });
    server.Post("/api/files/preview", [&](const httplib::Request& request, httplib::Response& response) {
        if (request.body.size() > kParameterFileLimit) {
            return Send(response, ErrorReply("a parameter file has at most 1 MiB", kTooLarge));
        }
        Send(response, governor.CallConnected(
                           [&] { return Preview(governor, request.body, Flag(request, "measurements")); }));
    });
    server.Post("/api/files/load", [&](const httplib::Request& request, httplib::Response& response) {
        if (request.body.size() > kParameterFileLimit) {
            return Send(response, ErrorReply("a parameter file has at most 1 MiB", kTooLarge));
        }
        Send(response, governor.CallConnected([&] {
            return Load(governor, request.body, Flag(request, "measurements"), Flag(request, "tolerant"));
        }));
    });
}

}  // namespace vektool::ui
