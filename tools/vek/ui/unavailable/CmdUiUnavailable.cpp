// vek ui in a build without the console (no HTTP server library for it).
#include "../../Command.hpp"
#include "../../ToolError.hpp"

#include "CLI/CLI.hpp"

#include <memory>
#include <string>
#include <utility>

namespace vektool {

void AddUi(CommandSet& commands) {
    // The console's options, so that the same command line gets this answer.
    auto ignored = std::make_shared<std::pair<std::string, bool>>();
    CLI::App& command = commands.Add("ui", "the service console (not in this build)", [ignored](Session&) -> int {
        throw ToolError(
            "ui: the service console is not in this build of vek (it needs the cpp-httplib library, which is "
            "available for the Linux build only)");
    });
    command.add_option("--listen", ignored->first, "address to serve on")->type_name("HOST:PORT");
    command.add_flag("--no-browser", ignored->second, "open no browser");
}

}  // namespace vektool
