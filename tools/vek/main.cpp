// vek: the governor service tool.
#include "Command.hpp"
#include "Options.hpp"
#include "Session.hpp"
#include "ToolError.hpp"
#include "Translation.hpp"

#include <cstdio>
#include <string>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kSynopsisColumn = 22;

std::string Synopsis(const vektool::Command& command) {
    return std::string(command.name) + (*command.usage ? " " : "") + command.usage;
}

// "vek COMMAND --help": the one command's synopsis and what it does.
void PrintCommandUsage(const vektool::Command& command) {
    std::printf("usage: vek %s [--port NAME] [--baud N] [--log FILE] [--profile NAME] [--lang FILE]\n\n%s\n"
                "\nvek --help describes the options.\n",
                Synopsis(command).c_str(), command.summary);
}

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: vek COMMAND [ARGUMENTS] [--port NAME] [--baud N] [--log FILE] [--profile NAME]\n"
                 "           [--lang FILE]\n"
                 "\n"
                 "Commands:\n");
    for (const vektool::Command& command : vektool::AllCommands()) {
        const std::string synopsis = Synopsis(command);
        // A synopsis too long for its column gets a line of its own.
        if (synopsis.size() > static_cast<size_t>(kSynopsisColumn)) {
            std::fprintf(out, "  %s\n  %-*s %s\n", synopsis.c_str(), kSynopsisColumn, "", command.summary);
        } else {
            std::fprintf(out, "  %-*s %s\n", kSynopsisColumn, synopsis.c_str(), command.summary);
        }
    }
    std::fprintf(out,
                 "\n"
                 "Options:\n"
                 "  --port NAME            serial port of the governor (COM3, /dev/ttyUSB0);\n"
                 "                         without it the built-in simulated governor answers\n"
                 "  --baud N               baud rate after the connection (default %u)\n"
                 "  --log FILE             write the library's log to FILE\n"
                 "  --profile NAME         profile of the simulated governor (default %s):\n"
                 "                         %s\n"
                 "  --lang FILE            translate the library's texts with the catalog FILE\n"
                 "                         (\"English<TAB>translation\" lines, UTF-8)\n"
                 "  --help                 show this text\n",
                 vektool::kDefaultBaud, vektool::kDefaultProfile, vektool::SimulatorProfileNames().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const vektool::Options options = vektool::ParseOptions(argc, argv);
        if (options.help && options.command.empty()) {
            PrintUsage(stdout);
            return 0;
        }
        if (options.command.empty()) {
            PrintUsage(stderr);
            return kExitUsage;
        }
        const vektool::Command* command = vektool::FindCommand(options.command);
        if (!command) throw vektool::ToolError("unknown command '" + options.command + "' (see vek --help)");
        if (options.help) {
            PrintCommandUsage(*command);
            return 0;
        }
        if (!options.langFile.empty()) vektool::InstallTranslation(options.langFile);
        vektool::Session session(options);
        return command->run(session, options.arguments);
    } catch (const vektool::ToolError& error) {
        std::fprintf(stderr, "vek: %s\n", error.what());
        return kExitFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vek: internal error: %s\n", error.what());
        return kExitFailure;
    }
}
