// The one way a command gives up: a one-line reason for the user and the
// exit status that tells a script what kind of failure it was.
#pragma once

#include <stdexcept>
#include <string>

namespace vektool {

// The exit statuses, as `vek --help` and the man page list them.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitFailed = 1,        // the operation failed (vek diff: the files differ)
    kExitUsage = 2,         // the command line was wrong (vek diff: it could not compare)
    kExitNoConnection = 3,  // the governor could not be reached
};

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& reason, int status = kExitFailed)
        : std::runtime_error(reason), status_(status) {}
    int Status() const { return status_; }

private:
    int status_;
};

// A command line that asks for something the command cannot do.
class UsageError : public ToolError {
public:
    explicit UsageError(const std::string& reason) : ToolError(reason, kExitUsage) {}
};

}  // namespace vektool
