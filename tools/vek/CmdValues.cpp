// vek values: downloads the values of all groups (or of one kind) in blocks,
// showing how many have arrived, and lists them with their unit.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionKinds.hpp"
#include "JsonOut.hpp"
#include "Output.hpp"
#include "ProgressDisplay.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ValueFormat.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace vektool {

namespace {

struct ValuesOptions {
    std::string kind;
};

// One row of the listing, without blanks at its end.
void PrintRow(const std::string& number, const std::string& name, const std::string& value, const std::string& unit) {
    char line[256];
    std::snprintf(line, sizeof line, "%8s  %-30s %14s  %s", number.c_str(), name.c_str(), value.c_str(),
                  unit.c_str());
    std::string row = line;
    row.erase(row.find_last_not_of(' ') + 1);
    PrintResult(row);
}

int RunValues(Session& session, const ValuesOptions& options) {
    const DefinitionKind* kind = KindNamed(options.kind);
    ConnectWithDefinitions(session);
    {
        ProgressDisplay progress;
        session.Require("the value download", [kind] {
            return (kind ? kind->read() : VekReadAllValues()) == kGroupReadSucceeded;
        });
    }
    Json values = Json::array();
    if (!JsonWanted()) PrintRow("Number", "Name", "Value", "Unit");
    uint32_t shown = 0;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef& def = *VekGetParDefByIndex(i);
        if (!OfKind(def.Id, kind)) continue;
        if (JsonWanted()) {
            values.push_back(StoredValueJson(def));
        } else {
            PrintRow(std::to_string(def.Id), ToUtf8(def.Name), StoredValueText(def), ToUtf8(def.Unit));
        }
        ++shown;
    }
    if (JsonWanted()) {
        PrintJson({{"values", values}});
    } else {
        PrintResult(std::to_string(shown) + " values");
    }
    return 0;
}

}  // namespace

void AddValues(CommandSet& commands) {
    auto options = std::make_shared<ValuesOptions>();
    CLI::App& command = commands.Add("values", "download all values (or those of one kind) and list them",
                                     [options](Session& session) { return RunValues(session, *options); });
    command.add_option("--kind", options->kind, "only the values of this kind")
        ->type_name("KIND")
        ->check(CLI::IsMember(KindNames()));
}

}  // namespace vektool
