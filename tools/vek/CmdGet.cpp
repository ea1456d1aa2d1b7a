// vek get: reads values from the governor and shows them as real values
// with their unit, or with --raw as the raw words.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionLookup.hpp"
#include "JsonOut.hpp"
#include "Output.hpp"
#include "Session.hpp"
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

struct GetOptions {
    std::vector<std::string> items;
    bool raw = false;
};

std::string Hex4(uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", word);
    return text;
}

int RunGet(Session& session, const GetOptions& options) {
    ConnectWithDefinitions(session);
    Json values = Json::array();
    for (const std::string& item : options.items) {
        const ParDef& def = FindDefinition("get", item);
        session.Require("reading " + Describe(def), [&def] { return VekReadRawValue(def.Id) != 0; });
        if (JsonWanted()) {
            values.push_back(StoredValueJson(def));
            continue;
        }
        const std::string value = options.raw ? Hex4(def.RawValue) + " (" + std::to_string(def.RawValue) + ")"
                                              : WithUnit(StoredValueText(def), def);
        PrintResult(Describe(def) + " = " + value);
    }
    if (JsonWanted()) PrintJson({{"values", values}});
    return 0;
}

}  // namespace

void AddGet(CommandSet& commands) {
    auto options = std::make_shared<GetOptions>();
    CLI::App& command = commands.Add("get", "read values and show them with their unit (or as raw words)",
                                     [options](Session& session) { return RunGet(session, *options); });
    command.add_option("items", options->items, "numbers or names (any case) of the values to read")
        ->type_name("ID|NAME")
        ->required();
    command.add_flag("--raw", options->raw, "show the raw words, hexadecimal and decimal, instead of real values");
}

}  // namespace vektool
