// The display text of a definition's value as the parameter and raw data
// files show it: at most 29 characters, empty when it cannot be made.
#pragma once

#include "text/Text.hpp"

#include <cstdint>

namespace vek {

Text FileValueText(uint32_t id);

}  // namespace vek
