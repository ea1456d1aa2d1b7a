// vek errors: read the actual errors and list the pending ones with their
// names; with an error memory option, that operation runs instead.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "ErrorsCommand.hpp"
#include "JsonOut.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "TextOut.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <cstdio>
#include <memory>
#include <string>

namespace vektool {

namespace {

void PrintPendingErrors() {
    const uint32_t count = VekGetPendingErrorsNum();
    if (count == 0) {
        PrintResult("No pending errors");
        return;
    }
    PrintResult(std::to_string(count) + " pending error" + (count == 1 ? "" : "s"));
    char line[256];
    std::snprintf(line, sizeof line, "%8s  %-30s %5s %9s", "Number", "Name", "State", "Old value");
    PrintResult(line);
    for (uint32_t i = 0; i < count; ++i) {
        // Every pending error has a definition: the read skips the others.
        const ParDef& def = *VekGetParDef(VekGetPendingErrorId(i));
        std::snprintf(line, sizeof line, "%8u  %-30s %5u %9u", def.Id, ToUtf8(def.Name).c_str(),
                      static_cast<unsigned>(def.RawValue), static_cast<unsigned>(VekGetPendingErrorOldValue(i)));
        PrintResult(line);
    }
}

Json PendingErrorsJson() {
    Json pending = Json::array();
    for (uint32_t i = 0; i < VekGetPendingErrorsNum(); ++i) {
        const ParDef& def = *VekGetParDef(VekGetPendingErrorId(i));
        pending.push_back({{"number", +def.Id},
                           {"name", ToUtf8(def.Name)},
                           {"state", +def.RawValue},
                           {"oldValue", VekGetPendingErrorOldValue(i)}});
    }
    return {{"pending", pending}};
}

int RunErrors(Session& session, const ErrorsOptions& options) {
    if (WantsErrorMemory(options)) return RunErrorMemory(session, options);
    ConnectWithDefinitions(session);
    session.Require("reading the actual errors", [] { return VekReadActualErrors() != 0; });
    if (JsonWanted()) {
        PrintJson(PendingErrorsJson());
    } else {
        PrintPendingErrors();
    }
    return 0;
}

}  // namespace

void AddErrors(CommandSet& commands) {
    auto options = std::make_shared<ErrorsOptions>();
    CLI::App& command = commands.Add(
        "errors",
        "list the pending errors with their names; or show, acknowledge, erase or configure the error memory",
        [options](Session& session) { return RunErrors(session, *options); });
    CLI::Option* memory = command.add_flag(
        "--memory", options->memory,
        "show the error memory: its records with first and last time, count, words and recorded arguments "
        "(or, on basic governors, the errors it holds)");
    CLI::Option* acknowledge =
        command
            .add_option("--ack", options->acknowledge,
                        "acknowledge the error memory item named by its two words, as --memory shows them "
                        "(decimal, or hexadecimal after 0x)")
            ->type_name("W1 W2")
            ->expected(2);
    CLI::Option* erase = command.add_flag("--erase", options->erase, "erase the error memory");
    CLI::Option* configure =
        command
            .add_option("--configure-args", options->configureArgs,
                        "record these values (numbers or names, up to 16) with every new error; 'none' records none")
            ->type_name("ID|NAME")
            ->expected(1, -1);
    memory->excludes(acknowledge)->excludes(erase)->excludes(configure);
    acknowledge->excludes(erase)->excludes(configure);
    erase->excludes(configure);
}

}  // namespace vektool
