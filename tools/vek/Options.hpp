// The options every command shares (before or after the command's name).
#pragma once

#include <cstdint>
#include <string>

namespace vektool {

constexpr uint32_t kDefaultBaud = 9600;
constexpr const char* kDefaultProfile = "default";

struct Options {
    std::string port;  // empty: the built-in simulated governor
    uint32_t baud = kDefaultBaud;
    std::string logFile;  // empty: the library's log stays private to the run
    std::string profile = kDefaultProfile;
    std::string langFile;  // empty: the library's English texts
    bool noCache = false;  // download the definitions even when they are cached
    bool json = false;
    bool quiet = false;
    bool progress = false;  // progress also when standard error is no terminal
};

}  // namespace vektool
