// vek store | reset | click-test start|stop | auto-adjust | clear-operating-data:
// the governor's service commands. A failure names the status word the
// governor (or a refused precondition, 1) left behind.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "Session.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdio>
#include <string>

namespace vektool {

namespace {

void ExpectNoArguments(const char* command, const Arguments& arguments) {
    if (!arguments.empty()) throw ToolError(std::string(command) + " takes no arguments");
}

void Check(int32_t result, const std::string& what) {
    if (result) return;
    throw ToolError(what + " failed (status " + std::to_string(VekGetLastError()) + ", see --log FILE)");
}

}  // namespace

int RunStore(Session& session, const Arguments& arguments) {
    ExpectNoArguments("store", arguments);
    session.Connect();
    Check(VekStore(), "storing the parameter values");
    std::printf("The governor stored its parameter values\n");
    return 0;
}

int RunReset(Session& session, const Arguments& arguments) {
    ExpectNoArguments("reset", arguments);
    // After the restart the library reads all values again: it needs the definitions.
    ConnectWithDefinitions(session);
    Check(VekReset(), "the reset");
    std::printf("The governor restarted and is connected again\n");
    return 0;
}

int RunClickTest(Session& session, const Arguments& arguments) {
    const bool start = arguments.size() == 1 && arguments.front() == "start";
    const bool stop = arguments.size() == 1 && arguments.front() == "stop";
    if (!start && !stop) throw ToolError("click-test needs start or stop");
    session.Connect();
    if (start) {
        Check(VekStartClickTest(), "starting the click test");
        std::printf("Click test started\n");
    } else {
        Check(VekStopClickTest(), "stopping the click test");
        std::printf("Click test stopped\n");
    }
    return 0;
}

int RunAutoAdjust(Session& session, const Arguments& arguments) {
    ExpectNoArguments("auto-adjust", arguments);
    // The adjustment time is a parameter: its definition must be known.
    ConnectWithDefinitions(session);
    Check(VekActuatorAutoAdjust(), "starting the actuator auto-adjustment");
    std::printf("Actuator auto-adjustment started\n");
    return 0;
}

int RunClearOperatingData(Session& session, const Arguments& arguments) {
    ExpectNoArguments("clear-operating-data", arguments);
    session.Connect();
    Check(VekClearOperatingData(), "clearing the operating data");
    std::printf("The governor cleared its operating data\n");
    return 0;
}

}  // namespace vektool
