// The tool's command line: the shared options, the commands and their
// options, parsed by CLI11, which also writes the help texts and the usage
// errors; then the chosen command runs.
#pragma once

#include <string>
#include <vector>

namespace vektool {

// Runs the tool with the words after the program's name (UTF-8); returns
// the exit status.
int RunCommandLine(const std::vector<std::string>& words);

}  // namespace vektool
