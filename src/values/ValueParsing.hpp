// Typed values back to raw values: parsing, the range check, scaling and
// rounding, and the direct write that VekSetValue adds.
#pragma once

#include "text/Text.hpp"

#include <cstdint>
#include <string_view>

namespace vek {

// Parses 8-bit text as a value of id, checks it against the real range and
// stores the raw result in the definition's RawValue (nothing is sent).
bool VekParseValue(uint32_t id, std::string_view text);

// Parses a 16-bit text and, with direct set on, writes it to the governor.
bool SetValue(uint32_t id, TextView text);

}  // namespace vek
