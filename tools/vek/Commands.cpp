// The commands in the order of the help text.
#include "Command.hpp"

namespace vektool {

void AddInfo(CommandSet&);
void AddDefs(CommandSet&);
void AddSave(CommandSet&);
void AddLoad(CommandSet&);
void AddDiff(CommandSet&);
void AddGet(CommandSet&);
void AddSet(CommandSet&);
void AddValues(CommandSet&);
void AddRawDump(CommandSet&);
void AddWatch(CommandSet&);
void AddErrors(CommandSet&);
void AddFirmware(CommandSet&);
void AddServiceCommands(CommandSet&);
void AddPage(CommandSet&);
void AddCache(CommandSet&);
void AddUi(CommandSet&);

void AddAllCommands(CommandSet& commands) {
    AddInfo(commands);
    AddDefs(commands);
    AddSave(commands);
    AddLoad(commands);
    AddDiff(commands);
    AddGet(commands);
    AddSet(commands);
    AddValues(commands);
    AddRawDump(commands);
    AddWatch(commands);
    AddErrors(commands);
    AddFirmware(commands);
    AddServiceCommands(commands);
    AddPage(commands);
    AddCache(commands);
    AddUi(commands);
}

}  // namespace vektool
