// vek firmware FILE: erase the governor's firmware and upload FILE with a
// progress bar; the governor is connected again after its restart.
#include "Command.hpp"
#include "ProgressDisplay.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace vektool {

namespace {

constexpr unsigned kPerMillePerPercent = 10;

// The firmware progress comes without its share in the text; the display
// draws a bar for texts that end in "(N%)".
void VEK_CALL OnFirmwareProgress(void* user, const VekChar* text, uint16_t permille) {
    const std::string share = " (" + std::to_string(permille / kPerMillePerPercent) + "%)";
    static_cast<ProgressDisplay*>(user)->Show(ToUtf8(text, SIZE_MAX) + share, permille);
}

// Erasing, waiting for the restart: a line each, below a finished bar.
void VEK_CALL OnStatus(void* user, const VekChar* text) {
    static_cast<ProgressDisplay*>(user)->Show(ToUtf8(text, SIZE_MAX), 0);
}

}  // namespace

int RunFirmware(Session& session, const Arguments& arguments) {
    if (arguments.size() != 1 || arguments.front().rfind("--", 0) == 0) {
        throw ToolError("firmware needs one file: firmware FILE");
    }
    const std::string& file = arguments.front();
    session.Connect();
    int32_t uploaded = 0;
    {
        ProgressDisplay progress;
        VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, reinterpret_cast<VekCallback>(OnFirmwareProgress));
        VekSetCallback(VEK_CALLBACK_STATUS, reinterpret_cast<VekCallback>(OnStatus));
        uploaded = VekUploadFirmwareFromFile(AsVekText(FromUtf8(file)));
        VekSetCallback(VEK_CALLBACK_STATUS, nullptr);
        VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, nullptr);
    }
    if (!uploaded) throw ToolError("the firmware upload of " + file + " failed (see --log FILE)");
    std::printf("Uploaded %s into the %s\n", file.c_str(), session.Describe().c_str());
    return 0;
}

}  // namespace vektool
