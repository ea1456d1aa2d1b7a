// vek store | reset | click-test start|stop | auto-adjust | clear-operating-data:
// the governor's service commands. The actuator commands name what the
// governor lacks before they ask it: the click test needs the click test
// feature of its device record, the auto-adjustment its absence and the
// adjustment time parameter.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "ToolError.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <memory>
#include <string>

namespace vektool {

namespace {

constexpr uint16_t kClickTestFeature = 0x0008;
constexpr uint32_t kAutoAdjustTimeId = 1900;

bool HasClickTest() { return (VekGetVekStruct()->Features & kClickTestFeature) != 0; }

void RefuseInBootLoader(const Session& session, const std::string& what) {
    if (VekInBootstrapMode()) throw ToolError(what + ": the " + session.Describe() + " is in its boot loader");
}

int RunClickTest(Session& session, const std::string& action) {
    session.Connect();
    RefuseInBootLoader(session, "click-test");
    if (!HasClickTest()) {
        throw ToolError("click-test: the " + session.Describe() +
                        " offers no click test (its device record lacks the click test feature)");
    }
    const bool start = action == "start";
    session.Require(start ? "starting the click test" : "stopping the click test",
                    [start] { return (start ? VekStartClickTest() : VekStopClickTest()) != 0; });
    PrintResult(start ? "Click test started" : "Click test stopped");
    return 0;
}

int RunAutoAdjust(Session& session) {
    // The adjustment time is a parameter: its definition must be known.
    ConnectWithDefinitions(session);
    RefuseInBootLoader(session, "auto-adjust");
    if (HasClickTest()) {
        throw ToolError("auto-adjust: the " + session.Describe() +
                        " offers no actuator auto-adjustment (its device record names the click test feature, "
                        "which takes its place)");
    }
    if (!VekGetParDef(kAutoAdjustTimeId)) {
        throw ToolError("auto-adjust: the " + session.Describe() + " has no adjustment time parameter (" +
                        std::to_string(kAutoAdjustTimeId) + ")");
    }
    session.Require("starting the actuator auto-adjustment", [] { return VekActuatorAutoAdjust() != 0; });
    PrintResult("Actuator auto-adjustment started");
    return 0;
}

}  // namespace

void AddServiceCommands(CommandSet& commands) {
    commands.Add("store", "make the governor store its parameter values", [](Session& session) {
        session.Connect();
        session.Require("storing the parameter values", [] { return VekStore() != 0; });
        PrintResult("The governor stored its parameter values");
        return 0;
    });
    commands.Add("reset", "restart the governor, connect again and read all values", [](Session& session) {
        // After the restart the library reads all values again: it needs the definitions.
        ConnectWithDefinitions(session);
        session.Require("the reset", [] { return VekReset() != 0; });
        PrintResult("The governor restarted and is connected again");
        return 0;
    });
    auto action = std::make_shared<std::string>();
    commands
        .Add("click-test", "start or stop the actuator click test",
             [action](Session& session) { return RunClickTest(session, *action); })
        .add_option("action", *action, "start or stop")
        ->type_name("start|stop")
        ->required()
        ->check(CLI::IsMember({"start", "stop"}));
    commands.Add("auto-adjust", "start the automatic adjustment of the actuator (governors without click test)",
                 RunAutoAdjust);
    commands.Add("clear-operating-data", "clear the governor's operating data", [](Session& session) {
        session.Connect();
        session.Require("clearing the operating data", [] { return VekClearOperatingData() != 0; });
        PrintResult("The governor cleared its operating data");
        return 0;
    });
}

}  // namespace vektool
