// vek errors: read the actual errors and list the pending ones with their
// names; with an error memory flag, the error memory extension runs instead.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "ErrorsCommand.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace vektool {

namespace {

std::vector<ErrorsExtension>& Extensions() {
    static std::vector<ErrorsExtension> extensions;
    return extensions;
}

const ErrorsExtension* ExtensionFor(const Arguments& arguments) {
    for (const ErrorsExtension& extension : Extensions()) {
        for (const std::string& argument : arguments) {
            if (std::find(extension.flags.begin(), extension.flags.end(), argument) != extension.flags.end()) {
                return &extension;
            }
        }
    }
    return nullptr;
}

void PrintPendingErrors() {
    const uint32_t count = VekGetPendingErrorsNum();
    if (count == 0) {
        std::printf("No pending errors\n");
        return;
    }
    std::printf("%u pending error%s\n", count, count == 1 ? "" : "s");
    std::printf("%8s  %-30s %5s %9s\n", "Number", "Name", "State", "Old value");
    for (uint32_t i = 0; i < count; ++i) {
        // Every pending error has a definition: the read skips the others.
        const ParDef& def = *VekGetParDef(VekGetPendingErrorId(i));
        std::printf("%8u  %-30s %5u %9u\n", def.Id, ToUtf8(def.Name).c_str(), static_cast<unsigned>(def.RawValue),
                    static_cast<unsigned>(VekGetPendingErrorOldValue(i)));
    }
}

}  // namespace

bool AddErrorsExtension(ErrorsExtension extension) {
    Extensions().push_back(std::move(extension));
    return true;
}

int RunErrors(Session& session, const Arguments& arguments) {
    if (const ErrorsExtension* extension = ExtensionFor(arguments)) return extension->run(session, arguments);
    if (!arguments.empty()) throw ToolError("errors: unknown argument '" + arguments.front() + "'");
    ConnectWithDefinitions(session);
    if (!VekReadActualErrors()) throw ToolError("the actual errors could not be read (see --log FILE)");
    PrintPendingErrors();
    return 0;
}

}  // namespace vektool
