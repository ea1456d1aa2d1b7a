#include "Options.hpp"

#include "ToolError.hpp"

#include <cerrno>
#include <cstdlib>

namespace vektool {

namespace {

// Switches of single commands: they take no value and go to the command's
// arguments like its other options.
constexpr const char* kCommandSwitches[] = {"--tolerant", "--measurements", "--yes", "--values", "--memory", "--erase",
                                               "--raw", "--no-browser"};

bool IsCommandSwitch(const std::string& word) {
    for (const char* commandSwitch : kCommandSwitches) {
        if (word == commandSwitch) return true;
    }
    return false;
}

uint32_t ParseBaud(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != 0 || errno == ERANGE || value == 0 || value > UINT32_MAX) {
        throw ToolError("invalid baud rate '" + text + "'");
    }
    return static_cast<uint32_t>(value);
}

}  // namespace

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            options.help = true;
            continue;
        }
        if (word.rfind("--", 0) != 0) {
            if (options.command.empty()) {
                options.command = word;
            } else {
                options.arguments.push_back(word);
            }
            continue;
        }
        if (IsCommandSwitch(word)) {
            options.arguments.push_back(word);
            continue;
        }
        if (i + 1 >= argc) throw ToolError("option " + word + " needs a value");
        const std::string value = argv[++i];
        if (word == "--port") {
            options.port = value;
        } else if (word == "--baud") {
            options.baud = ParseBaud(value);
        } else if (word == "--log") {
            options.logFile = value;
        } else if (word == "--profile") {
            options.profile = value;
        } else if (word == "--lang") {
            options.langFile = value;
        } else {
            // The command's own options, which it checks itself.
            options.arguments.push_back(word);
            options.arguments.push_back(value);
        }
    }
    return options;
}

}  // namespace vektool
