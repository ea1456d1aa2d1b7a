// `vek errors` lists the governor's pending errors; its error memory options
// (CmdErrorMemory.cpp) show, acknowledge, erase or configure the memory.
#pragma once

#include <string>
#include <vector>

namespace vektool {

class Session;

struct ErrorsOptions {
    bool memory = false;
    std::vector<std::string> acknowledge;  // the two words W1 W2
    bool erase = false;
    std::vector<std::string> configureArgs;
};

// Whether one of the error memory options was given.
bool WantsErrorMemory(const ErrorsOptions& options);
// Runs the error memory option given; returns the exit status.
int RunErrorMemory(Session& session, const ErrorsOptions& options);

}  // namespace vektool
