// vek diff FILE [FILE2]: a parameter file against the governor's values, or
// two files against each other. The files are read by the library itself,
// into its values in memory with direct writes off, so that the comparison
// sees what a load would write; nothing is sent to the governor. A
// parameter neither side names is equal by construction. Exits 0 when
// equal, 1 when different, 2 when the comparison could not be made.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionKinds.hpp"
#include "GovernorValues.hpp"
#include "JsonOut.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"
#include "ValueFormat.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vektool {

namespace {

struct DiffOptions {
    std::string file;
    std::string otherFile;  // empty: the governor
};

// The raw value of every definition, in index order.
using Snapshot = std::vector<uint16_t>;

Snapshot TakeSnapshot() {
    Snapshot values;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) values.push_back(VekGetParDefByIndex(i)->RawValue);
    return values;
}

// The governor's values with the file's applied, as a load would have them.
// The library backs its values up first: VekRestoreParDefs puts them back.
Snapshot ReadFile(Session& session, const std::string& file) {
    const std::u16string path = FromUtf8(file);
    VekDirectSet(0);
    session.Require("reading " + file, [&path] { return VekUploadPrmFile(AsVekText(path), 0) != 0; });
    VekDirectSet(1);
    Snapshot values = TakeSnapshot();
    VekRestoreParDefs();
    return values;
}

std::string Shown(const ParDef& def, uint16_t raw) {
    double real = 0;
    return VekConvertToRealValue(def.Id, raw, &real) ? RealValueText(def.Id, real) : std::to_string(raw);
}

void PrintRow(const std::string& number, const std::string& name, const std::string& left, const std::string& right,
              const std::string& unit) {
    char line[512];
    std::snprintf(line, sizeof line, "%8s  %-30s %14s  %14s  %s", number.c_str(), name.c_str(), left.c_str(),
                  right.c_str(), unit.c_str());
    std::string row = line;
    row.erase(row.find_last_not_of(' ') + 1);
    PrintResult(row);
}

int Compare(const std::string& leftName, const Snapshot& left, const std::string& rightName, const Snapshot& right) {
    Json differences = Json::array();
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef& def = *VekGetParDefByIndex(i);
        if (IsMeasurement(def.Id) || left[i] == right[i]) continue;
        differences.push_back({{"number", +def.Id},
                               {"name", ToUtf8(def.Name)},
                               {"left", Shown(def, left[i])},
                               {"right", Shown(def, right[i])},
                               {"unit", ToUtf8(def.Unit)}});
    }
    if (JsonWanted()) {
        PrintJson({{"left", leftName}, {"right", rightName}, {"differences", differences}});
    } else if (!differences.empty()) {
        PrintResult("left:  " + leftName);
        PrintResult("right: " + rightName);
        PrintRow("Number", "Name", "left", "right", "Unit");
        for (const Json& row : differences) {
            PrintRow(std::to_string(row["number"].get<uint32_t>()), row["name"], row["left"], row["right"],
                     row["unit"]);
        }
    }
    if (!JsonWanted()) {
        const std::size_t count = differences.size();
        PrintResult(count == 0 ? "No differences"
                               : std::to_string(count) + (count == 1 ? " difference" : " differences"));
    }
    return differences.empty() ? kExitSuccess : kExitFailed;
}

int RunDiff(Session& session, const DiffOptions& options) {
    ConnectWithDefinitions(session);
    ReadWritableValues(session);
    const Snapshot governor = TakeSnapshot();
    const Snapshot left = ReadFile(session, options.file);
    if (options.otherFile.empty()) return Compare(options.file, left, "governor", governor);
    return Compare(options.file, left, options.otherFile, ReadFile(session, options.otherFile));
}

}  // namespace

void AddDiff(CommandSet& commands) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App& command = commands.Add(
        "diff", "compare a parameter file with the governor's values, or two files",
        "Prints one line per difference (number, name, left, right, unit) and their count. The files are read as\n"
        "vek load would apply them; a parameter that neither side names counts as equal.\n"
        "Exit status: 0 equal, 1 different, 2 the comparison could not be made, 3 no connection.",
        [options](Session& session) {
            try {
                return RunDiff(session, *options);
            } catch (const ToolError& error) {
                // 1 says "different": a comparison that failed says 2, as diff(1) does.
                if (error.Status() == kExitFailed) throw UsageError(error.what());
                throw;
            }
        });
    command.add_option("file", options->file, "the parameter file (left)")->type_name("FILE")->required();
    command.add_option("file2", options->otherFile, "a second parameter file (right); without it, the governor")
        ->type_name("FILE2");
}

}  // namespace vektool
