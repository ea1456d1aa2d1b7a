// The kind of a parameter number: its remainder by 10000 places it among the
// parameters, measurements, functions or curves. The value transfers, the
// parameter files and the name search all select numbers by kind.
#pragma once

#include <cstdint>

namespace vek {

enum class ParKind : uint8_t { Parameter, Measurement, Function, Curve };

// Every block of this many numbers repeats the four kinds' windows.
constexpr uint32_t kKindPageSize = 10000;

// The window of a kind within each page: remainders base to base + span - 1.
struct KindWindow {
    uint32_t base;
    uint32_t span;
};

constexpr KindWindow WindowOf(ParKind kind) {
    switch (kind) {
        case ParKind::Parameter: return {0, 2000};
        case ParKind::Measurement: return {2000, 2000};
        case ParKind::Function: return {4000, 2000};
        case ParKind::Curve: return {6000, 4000};
    }
    return {0, 0};
}

constexpr uint32_t KindRemainder(uint32_t id) { return id % kKindPageSize; }

constexpr bool InWindow(uint32_t id, KindWindow window) {
    const uint32_t remainder = KindRemainder(id);
    return remainder >= window.base && remainder < window.base + window.span;
}

constexpr ParKind KindOf(uint32_t id) {
    if (InWindow(id, WindowOf(ParKind::Parameter))) return ParKind::Parameter;
    if (InWindow(id, WindowOf(ParKind::Measurement))) return ParKind::Measurement;
    if (InWindow(id, WindowOf(ParKind::Function))) return ParKind::Function;
    return ParKind::Curve;
}

constexpr bool IsKind(uint32_t id, ParKind kind) { return InWindow(id, WindowOf(kind)); }

// The kind mask of the name search: one flag per kind (note the order:
// functions before measurements). Bits 4 to 7 mean nothing.
namespace kind_mask {
constexpr uint8_t Parameters = 0x01;
constexpr uint8_t Functions = 0x02;
constexpr uint8_t Measurements = 0x04;
constexpr uint8_t Curves = 0x08;
constexpr uint8_t All = 0xFF;  // what the library itself always passes
}  // namespace kind_mask

// The last remainder of the parameter window never passes a kind mask.
constexpr uint32_t kUnnamedParameterRemainder = 1999;

constexpr uint8_t KindMaskFlag(ParKind kind) {
    switch (kind) {
        case ParKind::Parameter: return kind_mask::Parameters;
        case ParKind::Measurement: return kind_mask::Measurements;
        case ParKind::Function: return kind_mask::Functions;
        case ParKind::Curve: return kind_mask::Curves;
    }
    return 0;
}

constexpr bool PassesKindMask(uint32_t id, uint8_t mask) {
    if (KindRemainder(id) == kUnnamedParameterRemainder) return false;
    return (mask & KindMaskFlag(KindOf(id))) != 0;
}

}  // namespace vek
