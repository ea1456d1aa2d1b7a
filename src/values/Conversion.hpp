// Real values of parameters: the conversion of a raw word under its
// definition, with the range code's two range parameters fetched from the
// governor the first time they are needed.
#pragma once

#include "values/RealValues.hpp"

#include <cstdint>

namespace vek {

// Range parameters that take their own range from range parameters are
// followed this many levels deep; a deeper chain is taken for a loop.
constexpr int kMaxRangeFetchDepth = 8;

bool ConvertToRealValue(uint32_t id, uint16_t raw, double& real);
// The real value of the cached RawValue.
bool GetRealValue(uint32_t id, double& real);
// The real value of a range parameter, read from the governor first while
// its RawValue is 0.
bool RangeLimitValue(uint32_t id, double& real);

}  // namespace vek
