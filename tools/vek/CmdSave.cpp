// vek save FILE: save the governor's parameter set as a parameter file.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdio>

namespace vektool {

int RunSave(Session& session, const Arguments& arguments) {
    if (arguments.size() != 1 || arguments[0].rfind("--", 0) == 0) throw ToolError("save takes one argument: FILE");
    const std::string& file = arguments[0];
    ConnectWithDefinitions(session);
    if (!VekDownloadPrmFile(AsVekText(FromUtf8(file)))) {
        throw ToolError("cannot save the parameters to " + file + " (see --log FILE)");
    }
    std::printf("Saved the parameters of the %s to %s\n", session.Describe().c_str(), file.c_str());
    return 0;
}

}  // namespace vektool
