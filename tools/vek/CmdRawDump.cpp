// vek rawdump FILE [--values]: list every definition but the measurements
// with its raw value; with --values the values are read first and shown as
// text too.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdio>
#include <optional>

namespace vektool {

int RunRawDump(Session& session, const Arguments& arguments) {
    std::optional<std::string> file;
    bool withValues = false;
    for (const std::string& word : arguments) {
        if (word == "--values") {
            withValues = true;
        } else if (word.rfind("--", 0) == 0) {
            throw ToolError("rawdump: unknown argument '" + word + "'");
        } else if (file) {
            throw ToolError("rawdump takes one file");
        } else {
            file = word;
        }
    }
    if (!file) throw ToolError("rawdump needs a file: rawdump FILE [--values]");

    ConnectWithDefinitions(session);
    // The listing is made from the values in memory: fresh ones are read first.
    if (withValues && VekReadAllValues() != 0) throw ToolError("the value download failed (see --log FILE)");
    if (!VekDownloadRawPrmFile(AsVekText(FromUtf8(*file)), withValues ? 1 : 0)) {
        throw ToolError("cannot write " + *file + " (see --log FILE)");
    }
    std::printf("Wrote the raw data of the %s to %s\n", session.Describe().c_str(), file->c_str());
    return 0;
}

}  // namespace vektool
