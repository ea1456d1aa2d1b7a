// `vek errors` lists the governor's pending errors. The error memory's
// operations share the command: an extension, installed at start-up from its
// own file, takes the arguments whenever one of its flags is among them.
//
//   static const bool installed = AddErrorsExtension({{"--memory", "--erase"}, RunErrorMemory});
#pragma once

#include "Command.hpp"

#include <string>
#include <vector>

namespace vektool {

struct ErrorsExtension {
    std::vector<std::string> flags;
    int (*run)(Session& session, const Arguments& arguments);
};

// Returns true, so that it can initialise a static.
bool AddErrorsExtension(ErrorsExtension extension);

}  // namespace vektool
