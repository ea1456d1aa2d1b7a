// vek save FILE: save the governor's parameter set as a parameter file. A
// governor in its boot loader, or one without definitions, has no parameter
// set: saving it would write an empty one over the target.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <memory>
#include <string>

namespace vektool {

namespace {

int RunSave(Session& session, const std::string& file) {
    const std::u16string path = FromUtf8(file);
    ConnectWithDefinitions(session);
    if (VekInBootstrapMode()) {
        throw ToolError("save: the " + session.Describe() + " is in its boot loader and has no parameter set; " +
                        file + " was not written");
    }
    if (VekGetParDefNum() == 0) {
        throw ToolError("save: the " + session.Describe() + " has no definitions; " + file + " was not written");
    }
    session.Require("save " + file, [&path] { return VekDownloadPrmFile(AsVekText(path)) != 0; });
    PrintResult("Saved the parameters of the " + session.Describe() + " to " + file);
    return 0;
}

}  // namespace

void AddSave(CommandSet& commands) {
    auto file = std::make_shared<std::string>();
    CLI::App& command = commands.Add("save", "save the governor's parameter set as a parameter file",
                                     [file](Session& session) { return RunSave(session, *file); });
    command.add_option("file", *file, "the parameter file to write (replaced when it exists)")
        ->type_name("FILE")
        ->required();
}

}  // namespace vektool
