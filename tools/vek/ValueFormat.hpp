// Values as the user sees them: the library's display text with the unit,
// and the same value as a JSON object.
#pragma once

#include "JsonOut.hpp"

#include "VekLib.h"

#include <cstdint>
#include <string>

namespace vektool {

// "400 rpm", "0.00" (no unit).
std::string WithUnit(const std::string& text, const ParDef& def);
// The display text of the stored raw value, without the unit; "?" when it has none.
std::string StoredValueText(const ParDef& def);
// The display text of a real value of the definition numbered id.
std::string RealValueText(uint32_t id, double value);

// {"number", "name", "value" (the real value, null when it has none), "text", "unit", "raw"}
// of the stored raw value.
Json StoredValueJson(const ParDef& def);

}  // namespace vektool
