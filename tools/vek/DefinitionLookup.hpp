// Finds the definition a user names on the command line: by its number or
// by its name (any case), among the downloaded definitions.
#pragma once

#include "VekLib.h"

#include <string>

namespace vektool {

// Throws ToolError "<command>: no definition numbered N" or "... named 'X'".
const ParDef& FindDefinition(const std::string& command, const std::string& item);

// "Name (number)" for messages and listings.
std::string Describe(const ParDef& def);

}  // namespace vektool
