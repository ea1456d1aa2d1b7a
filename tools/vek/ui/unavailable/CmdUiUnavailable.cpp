// vek ui in a build without the console (no HTTP server library for it).
#include "../../Command.hpp"
#include "../../ToolError.hpp"

namespace vektool {

void AddUi(CommandSet& commands) {
    commands.Add("ui", "the service console (not in this build)", [](Session&) -> int {
        throw ToolError(
            "ui: the service console is not in this build of vek (it needs the cpp-httplib library, which is "
            "available for the Linux build only)");
    });
}

}  // namespace vektool
