// vek defs: list the definitions with number, name, limits and unit: all of
// them or those of one kind, those of one name (with their elements), or the
// names like a text.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionKinds.hpp"
#include "DefinitionLookup.hpp"
#include "JsonOut.hpp"
#include "Output.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vektool {

namespace {

constexpr unsigned kDefaultThreshold = 70;
constexpr unsigned kHighestThreshold = 100;
constexpr double kPercent = 100.0;
constexpr uint8_t kRangeIntCode = 250;  // limits are the values of two range parameters
constexpr std::size_t kLimitCapacity = 64;

constexpr std::size_t kNameColumn = 30;
constexpr std::size_t kLimitsColumn = 27;
constexpr std::size_t kUnitColumn = 6;

struct DefsOptions {
    std::string name;
    std::string similar;
    unsigned threshold = kDefaultThreshold;
    std::string kind;
};

// One definition of the listing, with its similarity when searched for.
struct Listed {
    const ParDef* def;
    std::optional<double> similarity;
};

bool IsRange(const ParDef& def) { return def.IntCode == kRangeIntCode; }

// The limits as the library shows values; a range parameter's limits are
// the current values of two others, so their numbers are shown instead.
std::string Limits(const ParDef& def) {
    if (IsRange(def)) {
        return "values of " + std::to_string(static_cast<long long>(def.RealMin)) + " .. " +
               std::to_string(static_cast<long long>(def.RealMax));
    }
    VekChar low[kLimitCapacity] = {};
    VekChar high[kLimitCapacity] = {};
    if (!VekGetValueMinMax(def.Id, low, kLimitCapacity, high, kLimitCapacity)) return "?";
    return ToUtf8(low) + " .. " + ToUtf8(high);
}

// One row of the listing, without blanks at its end.
void PrintRow(const std::string& number, const std::string& name, const std::string& limits, const std::string& unit,
              const std::string& similarity) {
    std::string row = number + "  " + PadRight(name, kNameColumn) + " " + PadRight(limits, kLimitsColumn) + " " +
                      PadRight(unit, kUnitColumn) + "  " + similarity;
    row.erase(row.find_last_not_of(' ') + 1);
    PrintResult(row);
}

void PrintDefinition(const Listed& listed) {
    const ParDef& def = *listed.def;
    char number[16];
    std::snprintf(number, sizeof number, "%8u", def.Id);
    char percent[16] = "";
    if (listed.similarity) std::snprintf(percent, sizeof percent, "%5.1f%%", *listed.similarity * kPercent);
    PrintRow(number, ToUtf8(def.Name), Limits(def), ToUtf8(def.Unit), percent);
}

Json DefinitionJson(const Listed& listed) {
    const ParDef& def = *listed.def;
    Json json = {{"number", +def.Id}, {"name", ToUtf8(def.Name)}, {"unit", ToUtf8(def.Unit)}};
    if (IsRange(def)) {
        json["limitsFrom"] = {static_cast<long long>(def.RealMin), static_cast<long long>(def.RealMax)};
    } else {
        json["minimum"] = +def.RealMin;
        json["maximum"] = +def.RealMax;
        json["limits"] = Limits(def);
    }
    if (listed.similarity) json["similarity"] = *listed.similarity;
    return json;
}

// The texts compared ignoring case, as the name search does.
std::u16string Folded(const std::u16string& text) {
    std::u16string folded = text;
    for (char16_t& c : folded) {
        if (c < 0x80) c = static_cast<char16_t>(std::tolower(static_cast<int>(c)));
    }
    return folded;
}

std::vector<Listed> AllOfKind(const DefinitionKind* kind) {
    std::vector<Listed> listed;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef* def = VekGetParDefByIndex(i);
        if (OfKind(def->Id, kind)) listed.push_back({def, std::nullopt});
    }
    return listed;
}

std::vector<Listed> Similar(const DefsOptions& options, const DefinitionKind* kind) {
    const std::u16string text = Folded(FromUtf8(options.similar));
    std::vector<Listed> listed;
    for (const Listed& candidate : AllOfKind(kind)) {
        const std::u16string name = Folded(FromUtf8(ToUtf8(candidate.def->Name)));
        const double similarity = VekStrSimilarity(AsVekText(name), AsVekText(text));
        if (similarity * kPercent >= options.threshold) listed.push_back({candidate.def, similarity});
    }
    return listed;
}

int RunDefs(Session& session, const DefsOptions& options) {
    const DefinitionKind* kind = KindNamed(options.kind);
    if (!options.name.empty()) FromUtf8(options.name);  // refuses text that is not UTF-8 before connecting
    ConnectWithDefinitions(session);
    std::vector<Listed> listed;
    std::string summary;
    if (!options.name.empty()) {
        for (const ParDef* def : FindDefinitionsNamed(options.name, kind ? kind->maskBit : kAllKinds)) {
            listed.push_back({def, std::nullopt});
        }
        if (listed.empty()) throw ToolError("no definition named '" + options.name + "'");
    } else if (!options.similar.empty()) {
        listed = Similar(options, kind);
        summary = std::to_string(listed.size()) + " definitions at least " + std::to_string(options.threshold) +
                  "% like '" + options.similar + "'";
    } else {
        listed = AllOfKind(kind);
        summary = std::to_string(listed.size()) + " of " + std::to_string(VekGetParDefNum()) + " definitions";
    }
    if (JsonWanted()) {
        Json definitions = Json::array();
        for (const Listed& item : listed) definitions.push_back(DefinitionJson(item));
        PrintJson({{"definitions", definitions}, {"total", VekGetParDefNum()}});
        return 0;
    }
    PrintRow("  Number", "Name", "Limits", "Unit", options.similar.empty() ? "" : "Similarity");
    for (const Listed& item : listed) PrintDefinition(item);
    if (!summary.empty()) PrintResult(summary);
    return 0;
}

}  // namespace

void AddDefs(CommandSet& commands) {
    auto options = std::make_shared<DefsOptions>();
    CLI::App& command = commands.Add(
        "defs", "list the definitions with number, name, limits and unit",
        [options](Session& session) { return RunDefs(session, *options); });
    CLI::Option* name = command.add_option(
        "--name", options->name,
        "only the definition of this name, any case, with its elements (GainP finds GainP(0), GainP(1), ...)");
    name->type_name("TEXT");
    CLI::Option* similar = command.add_option(
        "--similar", options->similar, "the definitions whose names are like TEXT (any case), with their likeness");
    similar->type_name("TEXT")->excludes(name);
    command.add_option("--threshold", options->threshold, "the least likeness for --similar, in percent")
        ->type_name("P")
        ->capture_default_str()
        ->check(CLI::Range(0u, kHighestThreshold))
        ->needs(similar);
    command.add_option("--kind", options->kind, "only definitions of this kind")
        ->type_name("KIND")
        ->check(CLI::IsMember(KindNames()));
}

}  // namespace vektool
