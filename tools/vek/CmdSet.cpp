// vek set: parses a value as the governor's definition says, checks it
// against the limits, writes it and shows what the governor holds then.
// Parsing and writing run as two steps so that the user learns which of
// them failed.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionLookup.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdio>
#include <string>

namespace vektool {

namespace {

constexpr uint16_t kValueTextCapacity = 64;
constexpr std::size_t kRangeTextCapacity = 256;  // what VekGetValueRange writes

std::string WithUnit(const std::string& text, const ParDef& def) {
    const std::string unit = ToUtf8(def.Unit);
    return unit.empty() ? text : text + " " + unit;
}

std::string InvalidValueReason(const ParDef& def, const std::string& value) {
    VekChar range[kRangeTextCapacity] = {};
    const std::string allowed = VekGetValueRange(def.Id, range) ? "allowed " + WithUnit(ToUtf8(range), def)
                                                                : "see --log FILE";
    return "set: '" + value + "' is not a valid value for " + Describe(def) + " (" + allowed + ")";
}

// Parses into the definition's cached raw value without sending it.
bool ParseOnly(uint32_t id, const std::string& value) {
    VekDirectSet(0);
    const bool parsed = VekSetValue(id, AsVekText(FromUtf8(value))) != 0;
    VekDirectSet(1);
    return parsed;
}

}  // namespace

int RunSet(Session& session, const Arguments& arguments) {
    if (arguments.size() != 2) throw ToolError("set: give one value (number or name) and its new value");
    const std::string& item = arguments[0];
    const std::string& value = arguments[1];
    ConnectWithDefinitions(session);
    const ParDef& def = FindDefinition("set", item);

    if (!ParseOnly(def.Id, value)) throw ToolError(InvalidValueReason(def, value));
    if (!VekWriteRawValue(def.Id, def.RawValue)) {
        char status[8];
        std::snprintf(status, sizeof status, "0x%04X", VekGetLastError());
        throw ToolError("set: the governor refused " + Describe(def) + " = " + value + " (status " + status +
                        ", see --log FILE)");
    }
    VekChar text[kValueTextCapacity] = {};
    if (!VekReadRawValue(def.Id) || !VekGetValue(def.Id, text, kValueTextCapacity)) {
        throw ToolError("set: " + Describe(def) + " was written but could not be read back (see --log FILE)");
    }
    std::printf("%s = %s\n", Describe(def).c_str(), WithUnit(ToUtf8(text), def).c_str());
    return 0;
}

}  // namespace vektool
