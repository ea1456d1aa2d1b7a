// The options every command shares and the words after the command name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vektool {

constexpr uint32_t kDefaultBaud = 9600;
constexpr const char* kDefaultProfile = "default";

struct Options {
    std::string port;  // empty: the built-in simulated governor
    uint32_t baud = kDefaultBaud;
    std::string logFile;  // empty: no log
    std::string profile = kDefaultProfile;
    std::string langFile;  // empty: the library's English texts
    bool help = false;
    std::string command;
    std::vector<std::string> arguments;  // the words after the command
};

// Reads --port NAME, --baud N, --log FILE, --profile NAME, --lang FILE and --help anywhere
// on the line; the first other word is the command. The commands' switches
// (--tolerant, --measurements, --yes, --values) and any other "--option VALUE"
// pair go to the command's arguments, for the command to check. Throws ToolError.
Options ParseOptions(int argc, char** argv);

}  // namespace vektool
