// vek get: reads values from the governor and shows them as real values
// with their unit, or with --raw as the raw words.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionLookup.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vektool {

namespace {

constexpr uint16_t kValueTextCapacity = 64;

struct GetOptions {
    std::vector<std::string> items;
    bool raw = false;
};

GetOptions ParseGetOptions(const Arguments& arguments) {
    GetOptions options;
    for (const std::string& word : arguments) {
        if (word == "--raw") {
            options.raw = true;
        } else if (word.rfind("--", 0) == 0) {
            throw ToolError("get: unknown argument '" + word + "'");
        } else {
            options.items.push_back(word);
        }
    }
    if (options.items.empty()) throw ToolError("get: name at least one value (number or name)");
    return options;
}

std::string Hex4(uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", word);
    return text;
}

std::string RealText(const ParDef& def) {
    VekChar text[kValueTextCapacity] = {};
    if (!VekGetValue(def.Id, text, kValueTextCapacity)) {
        throw ToolError("get: " + Describe(def) + " has no real value (see --log FILE)");
    }
    const std::string unit = ToUtf8(def.Unit);
    return ToUtf8(text) + (unit.empty() ? "" : " " + unit);
}

}  // namespace

int RunGet(Session& session, const Arguments& arguments) {
    const GetOptions options = ParseGetOptions(arguments);
    ConnectWithDefinitions(session);
    for (const std::string& item : options.items) {
        const ParDef& def = FindDefinition("get", item);
        if (!VekReadRawValue(def.Id)) {
            throw ToolError("get: the governor did not give " + Describe(def) + " (status " +
                            Hex4(static_cast<uint16_t>(VekGetLastError())) + ", see --log FILE)");
        }
        const std::string value =
            options.raw ? Hex4(def.RawValue) + " (" + std::to_string(def.RawValue) + ")" : RealText(def);
        std::printf("%s = %s\n", Describe(def).c_str(), value.c_str());
    }
    return 0;
}

}  // namespace vektool
