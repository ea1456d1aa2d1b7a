// Reads of the governor's values that commands share.
#pragma once

namespace vektool {

class Session;

// Reads the parameters, functions and curves: the values the library writes
// back in a parameter file load, which must be the governor's own where the
// file is silent. Throws ToolError.
void ReadWritableValues(Session& session);

}  // namespace vektool
