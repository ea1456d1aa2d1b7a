// Display text of values and limits: decimals, hexadecimal, and the version
// style of the eight version numbers on some governor families.
#pragma once

#include "text/Text.hpp"

#include <cstddef>
#include <cstdint>

namespace vek {

// VekGetValueRange writes into a buffer of this many characters.
constexpr std::size_t kRangeTextCapacity = 256;

// The display text of a real value of id into text[capacity], cut to fit.
// False (and an empty text) when id has no definition.
bool FormatValue(uint32_t id, double value, Char* text, std::size_t capacity);
// The display text of the cached value of id.
bool GetValueText(uint32_t id, Char* text, std::size_t capacity);
// The display texts of both limits of id.
bool GetValueMinMax(uint32_t id, Char* low, std::size_t lowCapacity, Char* high, std::size_t highCapacity);
// "low .. high" into text[kRangeTextCapacity].
bool GetValueRange(uint32_t id, Char* text);

}  // namespace vek
