// The tool's commands: each lives in a file of its own (CmdXxx.cpp) and has
// one line in the table of Commands.cpp.
#pragma once

#include <string>
#include <vector>

namespace vektool {

class Session;
using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;  // the words after the name, for the help text
    const char* summary;
    // Returns the exit status; throws ToolError to give up with a reason.
    int (*run)(Session& session, const Arguments& arguments);
};

// Every command, in the order of the help text.
const std::vector<Command>& AllCommands();
// The command of that name, or null.
const Command* FindCommand(const std::string& name);

}  // namespace vektool
