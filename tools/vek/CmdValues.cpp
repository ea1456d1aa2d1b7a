// vek values: downloads the values of all groups (or of one kind) in blocks,
// showing how many have arrived, and lists them with their unit.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "Terminal.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdint>
#include <cstdio>
#include <string>


namespace vektool {

namespace {

constexpr uint16_t kValueTextCapacity = 64;
constexpr uint32_t kKindPage = 10000;

// The kinds of numbers (remainder of division by 10000) and their reads.
struct ValueKind {
    const char* name;
    uint32_t first;
    uint32_t last;
    int32_t(VEK_CALL* read)(void);
};
constexpr ValueKind kValueKinds[] = {
    {"parameters", 0, 1999, VekReadParameterValues},
    {"measurements", 2000, 3999, VekReadMeasurementValues},
    {"functions", 4000, 5999, VekReadFunctionValues},
    {"curves", 6000, 9999, VekReadCurveValues},
};

const ValueKind* ParseValuesOptions(const Arguments& arguments) {
    if (arguments.empty()) return nullptr;
    if (arguments.size() != 2 || arguments[0] != "--kind") {
        throw ToolError("values: unknown argument '" + arguments[0] + "' (values [--kind KIND])");
    }
    for (const ValueKind& kind : kValueKinds) {
        if (arguments[1] == kind.name) return &kind;
    }
    throw ToolError("unknown kind '" + arguments[1] + "' (parameters, measurements, functions or curves)");
}

bool OfKind(const ParDef& def, const ValueKind* kind) {
    const uint32_t remainder = def.Id % kKindPage;
    return !kind || (remainder >= kind->first && remainder <= kind->last);
}

// The download's texts "... (N parameters loaded)": redrawn in place on a
// terminal, one line each otherwise.
void VEK_CALL ShowLoadedCount(void*, const VekChar* text, uint16_t) {
    std::printf(IsTerminal(stdout) ? "\r%s\x1b[K" : "%s\n", ToUtf8(text, SIZE_MAX).c_str());
    std::fflush(stdout);
}

class LoadedCountDisplay {
public:
    LoadedCountDisplay() { VekSetCallback(VEK_CALLBACK_PROGRESS, reinterpret_cast<VekCallback>(ShowLoadedCount)); }
    ~LoadedCountDisplay() {
        VekSetCallback(VEK_CALLBACK_PROGRESS, nullptr);
        if (IsTerminal(stdout)) std::fputc('\n', stdout);
    }
    LoadedCountDisplay(const LoadedCountDisplay&) = delete;
    LoadedCountDisplay& operator=(const LoadedCountDisplay&) = delete;
};

// One row of the listing, without blanks at its end.
void PrintRow(const std::string& number, const std::string& name, const std::string& value, const std::string& unit) {
    char line[256];
    std::snprintf(line, sizeof line, "%8s  %-30s %14s  %s", number.c_str(), name.c_str(), value.c_str(),
                  unit.c_str());
    std::string row = line;
    row.erase(row.find_last_not_of(' ') + 1);
    std::printf("%s\n", row.c_str());
}

}  // namespace

int RunValues(Session& session, const Arguments& arguments) {
    const ValueKind* kind = ParseValuesOptions(arguments);
    ConnectWithDefinitions(session);
    int32_t result = 0;
    {
        LoadedCountDisplay display;
        result = kind ? kind->read() : VekReadAllValues();
    }
    if (result != 0) {
        throw ToolError("the value download failed (result " + std::to_string(result) + ", see --log FILE)");
    }
    PrintRow("Number", "Name", "Value", "Unit");
    uint32_t shown = 0;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef* def = VekGetParDefByIndex(i);
        if (!OfKind(*def, kind)) continue;
        VekChar text[kValueTextCapacity] = {};
        const std::string value = VekGetValue(def->Id, text, kValueTextCapacity) ? ToUtf8(text) : "?";
        PrintRow(std::to_string(def->Id), ToUtf8(def->Name), value, ToUtf8(def->Unit));
        ++shown;
    }
    std::printf("%u values\n", shown);
    return 0;
}

}  // namespace vektool
