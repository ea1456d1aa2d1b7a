// Questions to the user at the terminal.
#pragma once

#include <cstdio>
#include <string>

namespace vektool {

// Whether the stream is a terminal (a user can read and answer there).
bool IsTerminal(std::FILE* stream);

// Shows the question on standard error and reads the answer from standard
// input: true for "y" or "yes" (any case), false for anything else.
bool AskYesNo(const std::string& question);

}  // namespace vektool
