// Finds the definitions a user names on the command line: by number or by
// name (any case), among the downloaded definitions.
#pragma once

#include "VekLib.h"

#include <string>
#include <vector>

namespace vektool {

// Throws ToolError "<command>: no definition numbered N" or "... named 'X'".
const ParDef& FindDefinition(const std::string& command, const std::string& item);

// Every definition of the kinds in kindMask named name (any case), or whose
// name is name with an element index: "GainP" finds GainP(0) to GainP(2).
std::vector<const ParDef*> FindDefinitionsNamed(const std::string& name, uint32_t kindMask);

// "Name (number)" for messages and listings.
std::string Describe(const ParDef& def);

}  // namespace vektool
