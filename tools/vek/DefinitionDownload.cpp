#include "DefinitionDownload.hpp"

#include "ProgressDisplay.hpp"
#include "Session.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

namespace vektool {

void ConnectWithDefinitions(Session& session) {
    session.Connect();
    ProgressDisplay progress;
    if (!VekReadAllParDef()) throw ToolError("the definition download failed (see --log FILE)");
}

}  // namespace vektool
