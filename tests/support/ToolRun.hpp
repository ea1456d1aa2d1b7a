// Runs the service tool as its user does and collects what it prints.
#pragma once

#include <string>

namespace vektest {

struct ToolRun {
    std::string output;  // standard output and standard error together
    int status = -1;
};

// Whether the tool was built with the tests (else tests should skip).
bool ToolBuilt();
ToolRun RunTool(const std::string& arguments);

}  // namespace vektest
