// vek rawdump FILE [--values]: list every definition but the measurements
// with its raw value; with --values the values are read first and shown as
// text too.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionKinds.hpp"
#include "Output.hpp"
#include "ProgressDisplay.hpp"
#include "Session.hpp"
#include "TextOut.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <memory>
#include <string>

namespace vektool {

namespace {

struct RawDumpOptions {
    std::string file;
    bool values = false;
};

int RunRawDump(Session& session, const RawDumpOptions& options) {
    const std::u16string path = FromUtf8(options.file);
    ConnectWithDefinitions(session);
    // The listing is made from the values in memory: fresh ones are read first.
    if (options.values) {
        ProgressDisplay progress;
        session.Require("the value download", [] { return VekReadAllValues() == kGroupReadSucceeded; });
    }
    session.Require("rawdump " + options.file,
                    [&] { return VekDownloadRawPrmFile(AsVekText(path), options.values ? 1 : 0) != 0; });
    PrintResult("Wrote the raw data of the " + session.Describe() + " to " + options.file);
    return 0;
}

}  // namespace

void AddRawDump(CommandSet& commands) {
    auto options = std::make_shared<RawDumpOptions>();
    CLI::App& command = commands.Add(
        "rawdump", "write every definition's raw value to FILE (with --values also its text)",
        "Lists every definition but the measurements. Without --values no value is read from the governor:\n"
        "the raw values are those this run knows, 0 for each one it never read.",
        [options](Session& session) { return RunRawDump(session, *options); });
    command.add_option("file", options->file, "the listing to write")->type_name("FILE")->required();
    command.add_flag("--values", options->values,
                     "read all values from the governor first and list them as text too");
}

}  // namespace vektool
