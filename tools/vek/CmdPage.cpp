// vek page [N]: show the governor's active parameter page, or activate page N.
#include "Command.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "ToolError.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vektool {

namespace {

int RunPage(Session& session, const std::optional<uint16_t>& page) {
    session.Connect();
    if (!VekParamPagesFeatureAvailable()) {
        if (page) throw ToolError("the " + session.Describe() + " has no parameter pages");
        PrintResult("The " + session.Describe() + " has no parameter pages");
        return 0;
    }
    if (page) {
        session.Require("activating page " + std::to_string(*page),
                        [&page] { return VekActivateParamPage(*page) != 0; });
    }
    int32_t active = 0;
    session.Require("reading the active page", [&active] { return VekGetActiveParamPage(&active) != 0; });
    PrintResult("Active parameter page: " + std::to_string(active));
    return 0;
}

}  // namespace

void AddPage(CommandSet& commands) {
    struct PageOptions {
        uint32_t page = 0;
        CLI::Option* given = nullptr;
    };
    auto options = std::make_shared<PageOptions>();
    CLI::App& command = commands.Add("page", "show the active parameter page, or activate page N",
                                     [options](Session& session) {
                                         return RunPage(session, options->given->count() > 0
                                                                     ? std::optional<uint16_t>(options->page)
                                                                     : std::nullopt);
                                     });
    options->given = command.add_option("page", options->page, "the page to activate")
                         ->type_name("N")
                         ->check(CLI::Range(0u, static_cast<unsigned>(UINT16_MAX)));
}

}  // namespace vektool
