// What the fields of a definition record mean: text capacities, the Format
// bits, the range code and the IntCode check shared by the download and the
// value conversions.
#pragma once

#include "VekLib.h"
#include "core/State.hpp"
#include "text/Text.hpp"

#include <cstdint>

namespace vek {

constexpr std::size_t kNameCapacity = sizeof(ParDef::Name) / sizeof(ParDef::Name[0]);  // 50
constexpr std::size_t kMaxNameLength = kNameCapacity - 1;                              // 49
constexpr std::size_t kUnitCapacity = sizeof(ParDef::Unit) / sizeof(ParDef::Unit[0]);  // 8
constexpr std::size_t kMaxUnitLength = 6;

// Format bits.
namespace format_bits {
constexpr uint8_t DecimalsShift = 4;
constexpr uint8_t DecimalsMask = 0x07;       // after the shift: 0 to 7 decimals
constexpr uint8_t Scaled = 0x08;             // linear between the limits and the IntCode range
constexpr uint8_t HexTwoDigits = 0x80;       // with the unit "Hex": two digits instead of four
}  // namespace format_bits

// The IntCode whose range is fixed and whose real limits are the numbers of
// two range parameters.
constexpr uint8_t kRangeIntCode = 250;

inline int Decimals(uint8_t format) {
    return (format >> format_bits::DecimalsShift) & format_bits::DecimalsMask;
}

// 10 to the power of decimals, exact in a double for 0 to 7.
inline double DecimalDivisor(int decimals) {
    double divisor = 1.0;
    for (int i = 0; i < decimals; ++i) divisor *= 10.0;
    return divisor;
}

inline TextView NameOf(const ParDef& def) {
    return TextView(FromApi(def.Name), TextLength(FromApi(def.Name), kMaxNameLength));
}
inline TextView UnitOf(const ParDef& def) {
    return TextView(FromApi(def.Unit), TextLength(FromApi(def.Unit), kUnitCapacity - 1));
}

// Whether the governor registered this IntCode (or it is the range code).
inline bool IsKnownIntCode(uint8_t intCode) {
    return intCode < Device().IntCodeCount || intCode == kRangeIntCode;
}

}  // namespace vek
