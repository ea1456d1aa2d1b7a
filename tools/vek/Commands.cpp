// The table of commands.
#include "Command.hpp"

namespace vektool {

int RunInfo(Session&, const Arguments&);
int RunGet(Session&, const Arguments&);
int RunSet(Session&, const Arguments&);
int RunValues(Session&, const Arguments&);
int RunDefs(Session&, const Arguments&);
int RunSave(Session&, const Arguments&);
int RunLoad(Session&, const Arguments&);
int RunRawDump(Session&, const Arguments&);
int RunWatch(Session&, const Arguments&);
int RunErrors(Session&, const Arguments&);
int RunFirmware(Session&, const Arguments&);
int RunStore(Session&, const Arguments&);
int RunReset(Session&, const Arguments&);
int RunClickTest(Session&, const Arguments&);
int RunAutoAdjust(Session&, const Arguments&);
int RunClearOperatingData(Session&, const Arguments&);
int RunPage(Session&, const Arguments&);
int RunUi(Session&, const Arguments&);

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        {"info", "", "connect and print the device record", RunInfo},
        {"defs", "[--name TEXT | --similar TEXT [--threshold P]] [--kind KIND]",
         "download and list the definitions (KIND: parameters, measurements, functions, curves)", RunDefs},
        {"save", "FILE", "save the governor's parameter set as a parameter file", RunSave},
        {"load", "FILE [--tolerant] [--measurements] [--yes]", "load a parameter file into the governor", RunLoad},
        {"get", "ID|NAME... [--raw]", "read values and show them with their unit (or the raw words)", RunGet},
        {"set", "ID|NAME VALUE",
         "check a value against its limits and write it to the governor; a reset loses it unless 'store' "
         "keeps it",
         RunSet},
        {"values", "[--kind KIND]", "download all values (or those of one kind) and list them", RunValues},
        {"rawdump", "FILE [--values]", "write every definition's raw value (and with --values its text)", RunRawDump},
        {"watch", "ID|NAME... [--interval MS] [--count N]", "sample up to 16 values with the governor's time stamp",
         RunWatch},
        {"errors", "[--memory | --ack W1 W2 | --erase | --configure-args ID|NAME...|none]",
         "list the pending errors with their names; or show, acknowledge, erase or configure the error memory",
         RunErrors},
        {"firmware", "FILE", "erase the firmware and upload FILE; the governor restarts", RunFirmware},
        {"store", "", "make the governor store its parameter values", RunStore},
        {"reset", "", "restart the governor, connect again and read all values", RunReset},
        {"click-test", "start|stop", "start or stop the actuator click test", RunClickTest},
        {"auto-adjust", "", "start the automatic adjustment of the actuator", RunAutoAdjust},
        {"clear-operating-data", "", "clear the governor's operating data", RunClearOperatingData},
        {"page", "[N]", "show the active parameter page, or activate page N", RunPage},
        {"ui", "[--listen HOST:PORT] [--no-browser]",
         "serve the service console in the browser (default 127.0.0.1:8642) until Ctrl-C", RunUi},
    };
    return commands;
}

const Command* FindCommand(const std::string& name) {
    for (const Command& command : AllCommands()) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

}  // namespace vektool
