// vek set: parses a value as the governor's definition says, checks it
// against the limits, writes it and shows what the governor holds then.
// Parsing and writing run as two steps so that the user learns which of
// them failed. Measurements are the governor's to change, never written.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionKinds.hpp"
#include "DefinitionLookup.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"
#include "ValueFormat.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <memory>
#include <string>

namespace vektool {

namespace {

constexpr std::size_t kRangeTextCapacity = 256;  // what VekGetValueRange writes

struct SetOptions {
    std::string item;
    std::string value;
};

std::string InvalidValueReason(const ParDef& def, const std::string& value) {
    VekChar range[kRangeTextCapacity] = {};
    const std::string allowed = VekGetValueRange(def.Id, range) ? "allowed " + WithUnit(ToUtf8(range), def)
                                                                : "no limits known";
    return "set: '" + value + "' is not a valid value for " + Describe(def) + " (" + allowed + ")";
}

// Parses into the definition's cached raw value without sending it.
bool ParseOnly(uint32_t id, const std::u16string& value) {
    VekDirectSet(0);
    const bool parsed = VekSetValue(id, AsVekText(value)) != 0;
    VekDirectSet(1);
    return parsed;
}

int RunSet(Session& session, const SetOptions& options) {
    const std::u16string value = FromUtf8(options.value);
    ConnectWithDefinitions(session);
    const ParDef& def = FindDefinition("set", options.item);
    if (IsMeasurement(def.Id)) {
        throw ToolError("set: " + Describe(def) + " is a measurement: the governor measures it, it cannot be set");
    }
    if (!ParseOnly(def.Id, value)) throw ToolError(InvalidValueReason(def, options.value));
    session.Require("set: writing " + Describe(def) + " = " + options.value,
                    [&def] { return VekWriteRawValue(def.Id, def.RawValue) != 0; });
    session.Require("set: reading " + Describe(def) + " back", [&def] { return VekReadRawValue(def.Id) != 0; });
    PrintResult(Describe(def) + " = " + WithUnit(StoredValueText(def), def));
    return 0;
}

}  // namespace

void AddSet(CommandSet& commands) {
    auto options = std::make_shared<SetOptions>();
    CLI::App& command =
        commands.Add("set",
                     "check a value against its limits, write it and show it read back; a reset loses it unless "
                     "'store' keeps it",
                     [options](Session& session) { return RunSet(session, *options); });
    command.add_option("item", options->item, "number or name (any case) of a parameter, function or curve")
        ->type_name("ID|NAME")
        ->required();
    command.add_option("value", options->value, "the new value as the governor shows it (1200, 1'200, -2,45, 0A)")
        ->type_name("VALUE")
        ->required();
}

}  // namespace vektool
