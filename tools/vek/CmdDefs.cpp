// vek defs: download the definitions and list number, name, limits and unit,
// all of them or those of one kind, one name, or the names like a text.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace vektool {

namespace {

constexpr uint16_t kDefaultThreshold = 70;
constexpr uint16_t kHighestThreshold = 100;
constexpr uint8_t kRangeIntCode = 250;  // limits are the values of two range parameters
constexpr std::size_t kLimitCapacity = 64;
constexpr uint32_t kKindPage = 10000;

// The kinds of numbers (remainder of division by 10000) and their bit in the
// name search's kind mask.
struct Kind {
    const char* name;
    uint32_t first;
    uint32_t last;
    uint32_t maskBit;
};
constexpr Kind kKinds[] = {
    {"parameters", 0, 1999, 0x01},
    {"measurements", 2000, 3999, 0x04},
    {"functions", 4000, 5999, 0x02},
    {"curves", 6000, 9999, 0x08},
};
constexpr uint32_t kAllKinds = 0xFF;

struct DefsOptions {
    std::optional<std::string> name;
    std::optional<std::string> similar;
    uint16_t threshold = kDefaultThreshold;
    const Kind* kind = nullptr;
};

const Kind& KindNamed(const std::string& text) {
    for (const Kind& kind : kKinds) {
        if (text == kind.name) return kind;
    }
    throw ToolError("unknown kind '" + text + "' (parameters, measurements, functions or curves)");
}

uint16_t ParseThreshold(const std::string& text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != 0 || value > kHighestThreshold) {
        throw ToolError("invalid threshold '" + text + "' (0 to 100 percent)");
    }
    return static_cast<uint16_t>(value);
}

DefsOptions ParseDefsOptions(const Arguments& arguments) {
    DefsOptions options;
    bool thresholdGiven = false;
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        const std::string& word = arguments[i];
        if (i + 1 >= arguments.size()) throw ToolError("defs: " + word + " needs a value");
        const std::string& value = arguments[i + 1];
        if (word == "--name") {
            options.name = value;
        } else if (word == "--similar") {
            options.similar = value;
        } else if (word == "--threshold") {
            options.threshold = ParseThreshold(value);
            thresholdGiven = true;
        } else if (word == "--kind") {
            options.kind = &KindNamed(value);
        } else {
            throw ToolError("defs: unknown argument '" + word + "'");
        }
    }
    if (options.name && options.similar) throw ToolError("defs: give --name or --similar, not both");
    if (thresholdGiven && !options.similar) throw ToolError("defs: --threshold goes with --similar");
    return options;
}

bool OfKind(const ParDef& def, const Kind* kind) {
    const uint32_t remainder = def.Id % kKindPage;
    return !kind || (remainder >= kind->first && remainder <= kind->last);
}

// The limits as the library shows values; a range parameter's limits are
// the current values of two others, so their numbers are shown instead.
std::string Limits(const ParDef& def) {
    if (def.IntCode == kRangeIntCode) {
        return "values of " + std::to_string(static_cast<long long>(def.RealMin)) + " .. " +
               std::to_string(static_cast<long long>(def.RealMax));
    }
    VekChar low[kLimitCapacity] = {};
    VekChar high[kLimitCapacity] = {};
    if (!VekGetValueMinMax(def.Id, low, kLimitCapacity, high, kLimitCapacity)) return "?";
    return ToUtf8(low) + " .. " + ToUtf8(high);
}

constexpr std::size_t kNameColumn = 30;
constexpr std::size_t kLimitsColumn = 27;
constexpr std::size_t kUnitColumn = 6;

// Pads UTF-8 text with blanks to width characters (not bytes: a unit such as
// °C takes two bytes for one character).
std::string Padded(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters < width ? text + std::string(width - characters, ' ') : text;
}

// One row of the listing, without blanks at its end.
void PrintRow(const std::string& number, const std::string& name, const std::string& limits, const std::string& unit,
              const std::string& similarity) {
    std::string row = number + "  " + Padded(name, kNameColumn) + " " + Padded(limits, kLimitsColumn) + " " +
                      Padded(unit, kUnitColumn) + "  " + similarity;
    row.erase(row.find_last_not_of(' ') + 1);
    std::printf("%s\n", row.c_str());
}

void PrintHeader(bool withSimilarity) {
    PrintRow("  Number", "Name", "Limits", "Unit", withSimilarity ? "Similarity" : "");
}

void PrintDefinition(const ParDef& def, std::optional<double> similarity = std::nullopt) {
    char number[16];
    std::snprintf(number, sizeof number, "%8u", def.Id);
    char percent[16] = "";
    if (similarity) std::snprintf(percent, sizeof percent, "%5.1f%%", *similarity * 100.0);
    PrintRow(number, ToUtf8(def.Name), Limits(def), ToUtf8(def.Unit), percent);
}

int ListAll(const DefsOptions& options) {
    PrintHeader(false);
    uint32_t shown = 0;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef* def = VekGetParDefByIndex(i);
        if (!OfKind(*def, options.kind)) continue;
        PrintDefinition(*def);
        ++shown;
    }
    std::printf("%u of %u definitions\n", shown, VekGetParDefNum());
    return 0;
}

int ListByName(const DefsOptions& options) {
    const std::u16string name = FromUtf8(*options.name);
    const ParDef* def = VekFindParDefByName(AsVekText(name), options.kind ? options.kind->maskBit : kAllKinds);
    if (!def) throw ToolError("no definition named '" + *options.name + "'");
    PrintHeader(false);
    PrintDefinition(*def);
    return 0;
}

// Every definition at least as similar as the threshold, in index order:
// each search goes on after the position of the last one found.
int ListSimilar(const DefsOptions& options) {
    const std::u16string text = FromUtf8(*options.similar);
    PrintHeader(true);
    uint32_t shown = 0;
    for (uint32_t position = 0;; ++position) {
        const ParDef* def = VekFindParDefBySimilarity(AsVekText(text), position, options.threshold);
        if (!def) break;
        while (VekGetParDefByIndex(position) != def) ++position;
        if (!OfKind(*def, options.kind)) continue;
        PrintDefinition(*def, VekStrSimilarity(def->Name, AsVekText(text)));
        ++shown;
    }
    std::printf("%u definitions at least %u%% like '%s'\n", shown, options.threshold, options.similar->c_str());
    return 0;
}

}  // namespace

int RunDefs(Session& session, const Arguments& arguments) {
    const DefsOptions options = ParseDefsOptions(arguments);
    ConnectWithDefinitions(session);
    if (options.name) return ListByName(options);
    if (options.similar) return ListSimilar(options);
    return ListAll(options);
}

}  // namespace vektool
