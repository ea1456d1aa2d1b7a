// vek firmware FILE: erase the governor's firmware and upload FILE with a
// progress bar; the governor is connected again after its restart. The
// erase cannot be undone, so the file is checked first (not empty, not too
// large, no parameter file) and the user confirms at the terminal (--yes
// confirms without one).
#include "Command.hpp"
#include "Output.hpp"
#include "ProgressDisplay.hpp"
#include "Session.hpp"
#include "Terminal.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace vektool {

namespace {

constexpr unsigned kPerMillePerPercent = 10;
// The upload sends the image size + 2 as a 32-bit number.
constexpr uintmax_t kLargestImage = 0xFFFFFFFDu;
// A parameter file names its sections in its first lines.
constexpr std::size_t kHeadBytes = 4096;
constexpr const char* kParameterFileSections[] = {"[HW]", "[SW]", "[Werte]"};

struct FirmwareOptions {
    std::string file;
    bool yes = false;
};

// The firmware progress comes without its share in the text; the display
// draws a bar for texts that end in "(N%)".
void VEK_CALL OnFirmwareProgress(void* user, const VekChar* text, uint16_t permille) {
    const std::string share = " (" + std::to_string(permille / kPerMillePerPercent) + "%)";
    static_cast<ProgressDisplay*>(user)->Show(ToUtf8(text, SIZE_MAX) + share, permille);
}

// Erasing, waiting for the restart: a stage each.
void VEK_CALL OnStatus(void* user, const VekChar* text) {
    static_cast<ProgressDisplay*>(user)->Show(ToUtf8(text, SIZE_MAX), 0);
}

// The firmware's own progress and status texts go to the display while it lives.
class FirmwareProgress {
public:
    FirmwareProgress() {
        VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, reinterpret_cast<VekCallback>(OnFirmwareProgress));
        VekSetCallback(VEK_CALLBACK_STATUS, reinterpret_cast<VekCallback>(OnStatus));
    }
    ~FirmwareProgress() {
        VekSetCallback(VEK_CALLBACK_STATUS, nullptr);
        VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, nullptr);
    }
    FirmwareProgress(const FirmwareProgress&) = delete;
    FirmwareProgress& operator=(const FirmwareProgress&) = delete;

private:
    ProgressDisplay display_;
};

// The image's size; throws ToolError for a file no governor can take.
uintmax_t CheckImage(const std::string& file) {
    const std::filesystem::path path = std::filesystem::u8path(file);
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error) throw ToolError("firmware: cannot read " + file + ": " + error.message());
    if (size == 0) throw ToolError("firmware: " + file + " is empty; nothing was erased");
    if (size > kLargestImage) throw ToolError("firmware: " + file + " is too large for any governor; nothing was erased");
    std::ifstream image(path, std::ios::binary);
    std::string head(static_cast<std::size_t>(std::min<uintmax_t>(size, kHeadBytes)), '\0');
    image.read(head.data(), static_cast<std::streamsize>(head.size()));
    for (const char* section : kParameterFileSections) {
        if (head.find(section) != std::string::npos) {
            throw ToolError("firmware: " + file + " is a parameter file, not a firmware image (use vek load); " +
                            "nothing was erased");
        }
    }
    return size;
}

void Confirm(const Session& session, const std::string& file, uintmax_t size, bool yes) {
    if (yes) return;
    if (!IsTerminal(stdin)) {
        throw UsageError("firmware: no terminal to confirm the erase on; --yes confirms it");
    }
    if (!AskYesNo("Erase the firmware of the " + session.Describe() + " and upload " + file + " (" +
                  std::to_string(size) + " bytes)?")) {
        throw ToolError("firmware: not confirmed; nothing was erased");
    }
}

int RunFirmware(Session& session, const FirmwareOptions& options) {
    const std::u16string path = FromUtf8(options.file);
    const uintmax_t size = CheckImage(options.file);
    session.Connect();
    Confirm(session, options.file, size, options.yes);
    try {
        FirmwareProgress progress;
        session.Require("the firmware upload of " + options.file,
                        [&path] { return VekUploadFirmwareFromFile(AsVekText(path)) != 0; });
    } catch (const ToolError& error) {
        throw ToolError(std::string(error.what()) +
                        "\nvek: the governor may now wait in its boot loader without firmware; it keeps waiting "
                        "there: connect again and repeat 'vek firmware " + options.file + " --yes'");
    }
    PrintResult("Uploaded " + options.file + " into the " + session.Describe());
    return 0;
}

}  // namespace

void AddFirmware(CommandSet& commands) {
    auto options = std::make_shared<FirmwareOptions>();
    CLI::App& command = commands.Add(
        "firmware", "erase the governor's firmware and upload FILE; the governor restarts with it",
        [options](Session& session) { return RunFirmware(session, *options); });
    command.add_option("file", options->file, "the firmware image (binary)")->type_name("FILE")->required();
    command.add_flag("--yes", options->yes, "erase without asking (needed where there is no terminal to ask on)");
}

}  // namespace vektool
