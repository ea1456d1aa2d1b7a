#include "Command.hpp"

#include "CLI/CLI.hpp"

namespace vektool {

namespace {

constexpr const char* kSharedOptions =
    "The options every command takes (--port, --baud, --log, --profile, --lang, --no-cache, --json,\n"
    "--quiet, --progress) are described by vek --help.";

}  // namespace

CLI::App& CommandSet::Add(const std::string& name, const std::string& summary, CommandRun run) {
    return Add(app_, name, summary, std::move(run));
}

CLI::App& CommandSet::Add(CLI::App& parent, const std::string& name, const std::string& summary, CommandRun run) {
    CLI::App* command = parent.add_subcommand(name, summary);
    // The shared options (--port, --json, ...) may follow the command's name.
    command->fallthrough();
    command->footer(kSharedOptions);
    commands_.emplace_back(command, std::move(run));
    return *command;
}

CLI::App& CommandSet::Add(const std::string& name, const std::string& summary, const std::string& details,
                          CommandRun run) {
    CLI::App& command = Add(app_, name, summary, std::move(run));
    command.footer(details + "\n\n" + kSharedOptions);
    return command;
}

CLI::App& CommandSet::AddGroup(const std::string& name, const std::string& summary) {
    CLI::App* group = app_.add_subcommand(name, summary);
    group->fallthrough();
    group->require_subcommand(1);
    return *group;
}

const CommandRun* CommandSet::Chosen() const {
    for (const auto& [command, run] : commands_) {
        if (command->parsed()) return &run;
    }
    return nullptr;
}

}  // namespace vektool
