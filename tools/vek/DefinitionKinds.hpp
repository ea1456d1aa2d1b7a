// The kinds of definitions, told apart by the number's remainder of division
// by 10000, with their bit in the library's name search mask and their
// group read.
#pragma once

#include "VekLib.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vektool {

struct DefinitionKind {
    const char* name;
    uint32_t first;
    uint32_t last;
    uint32_t maskBit;
    int32_t(VEK_CALL* read)(void);
};

constexpr uint32_t kAllKinds = 0xFF;
// What the group reads (VekReadAllValues, DefinitionKind::read) return on success.
constexpr int32_t kGroupReadSucceeded = 0;

// "parameters", "measurements", "functions", "curves": for the command line's checks.
std::vector<std::string> KindNames();
// The kind of that name, or null for an empty name.
const DefinitionKind* KindNamed(const std::string& name);
// Whether the definition is of kind (every definition is of no kind).
bool OfKind(uint32_t id, const DefinitionKind* kind);
bool IsMeasurement(uint32_t id);
// The kind of the definition numbered id.
const DefinitionKind& KindOf(uint32_t id);

}  // namespace vektool
