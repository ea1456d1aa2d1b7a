#include "CommandLine.hpp"

#include "Command.hpp"
#include "Options.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "ToolError.hpp"
#include "Translation.hpp"

#include "CLI/CLI.hpp"

#include <cstdio>

namespace vektool {

namespace {

constexpr std::size_t kHelpColumn = 30;

constexpr const char* kFooter =
    "Run 'vek COMMAND --help' for a command's arguments and options.\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  the operation failed (vek diff: the parameter sets differ)\n"
    "  2  usage error (vek diff: the comparison could not be made)\n"
    "  3  no connection to the governor";

void AddSharedOptions(CLI::App& app, Options& options) {
    app.add_option("--port", options.port,
                   "serial port of the governor (COM3, /dev/ttyUSB0); without it the built-in simulated governor "
                   "answers")
        ->type_name("NAME");
    app.add_option("--baud", options.baud, "baud rate after the connection")
        ->type_name("N")
        ->capture_default_str()
        ->check(CLI::Range(1u, UINT32_MAX).description(""));
    app.add_option("--log", options.logFile, "write the library's log to FILE")->type_name("FILE");
    app.add_option("--profile", options.profile,
                   "profile of the simulated governor: " + SimulatorProfileNames())
        ->type_name("NAME")
        ->capture_default_str();
    app.add_option("--lang", options.langFile,
                   "translate the library's texts with the catalog FILE (\"English<TAB>translation\" lines, UTF-8)")
        ->type_name("FILE");
    app.add_flag("--no-cache", options.noCache,
                 "download the definitions even when the definition cache holds them");
    app.add_flag("--json", options.json,
                 "results as JSON (info, defs, get, values, errors, watch: one object a line)");
    app.add_flag("-q,--quiet", options.quiet, "print only results and errors");
    app.add_flag("--progress", options.progress, "show progress also when standard error is no terminal");
}

// A usage error is one line on standard error: the reason and where help is
// (the help of the command the line got to).
std::string UsageLine(const CLI::App* app, const CLI::Error& error) {
    if (app->get_subcommands().empty() && !app->remaining().empty()) {
        return "vek: unknown command '" + app->remaining().front() + "' (see vek --help)\n";
    }
    std::string command;
    for (const CLI::App* at = app; at && !at->get_subcommands().empty();) {
        at = at->get_subcommands().front();
        command += " " + at->get_name();
    }
    return "vek: " + std::string(error.what()) + " (see vek" + command + " --help)\n";
}

int RunChosen(const CommandSet& commands, const Options& options) {
    const CommandRun* run = commands.Chosen();
    if (!run) throw UsageError("no command given (see vek --help)");
    if (!options.langFile.empty()) InstallTranslation(options.langFile);
    Session session(options);
    return (*run)(session);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& words) {
    CLI::App app("vek: the service tool of digital engine speed governors.", "vek");
    app.get_formatter()->column_width(kHelpColumn);
    app.footer(kFooter);
    app.require_subcommand(1);
    app.failure_message(UsageLine);
    Options options;
    AddSharedOptions(app, options);
    CommandSet commands(app);
    AddAllCommands(commands);

    std::vector<const char*> argv = {"vek"};
    for (const std::string& word : words) argv.push_back(word.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitSuccess : kExitUsage;
    }
    ConfigureOutput(options);
    try {
        return RunChosen(commands, options);
    } catch (const ToolError& error) {
        std::fprintf(stderr, "vek: %s\n", error.what());
        return error.Status();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vek: internal error: %s\n", error.what());
        return kExitFailed;
    }
}

}  // namespace vektool
