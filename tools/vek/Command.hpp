// The tool's commands: each lives in a file of its own (CmdXxx.cpp) with an
// AddXxx function that adds its subcommand, its options and what it runs to
// the command line; Commands.cpp calls them in the order of the help text.
//
//   void AddStore(CommandSet& commands) {
//       commands.Add("store", "make the governor store its values", [](Session& session) { ... return 0; });
//   }
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

namespace vektool {

class Session;

// What a command does once chosen: returns the exit status, throws
// ToolError to give up with a reason.
using CommandRun = std::function<int(Session& session)>;

class CommandSet {
public:
    explicit CommandSet(CLI::App& app) : app_(app) {}

    // A new subcommand of the tool (or of parent, for "cache list"): its
    // one-line summary for the list of commands, and what it does.
    CLI::App& Add(const std::string& name, const std::string& summary, CommandRun run);
    CLI::App& Add(CLI::App& parent, const std::string& name, const std::string& summary, CommandRun run);
    // The same with a longer account, shown only by the command's own help.
    CLI::App& Add(const std::string& name, const std::string& summary, const std::string& details, CommandRun run);
    // A subcommand that only groups others ("cache").
    CLI::App& AddGroup(const std::string& name, const std::string& summary);

    // The run of the subcommand the parsed command line chose, or null.
    const CommandRun* Chosen() const;

private:
    CLI::App& app_;
    std::vector<std::pair<CLI::App*, CommandRun>> commands_;
};

// Adds every command, in the order of the help text.
void AddAllCommands(CommandSet& commands);

}  // namespace vektool
