// The arithmetic between raw words and real values: the effective range of a
// definition, signedness, linear scaling, the two roundings and the limit to
// the real range. Plain functions on plain data, with no exchange and no
// message, so that any subsystem can use them.
#pragma once

#include "VekLib.h"

#include <cstdint>

namespace vek {

// What one conversion or parse works with; built anew every time.
struct EffectiveRange {
    int32_t IntLow = 0;    // the IntCode definition's integer range
    int32_t IntHigh = 0;
    double ScaleLow = 0;   // the ends of the scaling line
    double ScaleHigh = 0;
    double RealLow = 0;    // the lowest and highest real value allowed
    double RealHigh = 0;
};

// The IntCode definition's integer range from the device record.
struct IntRange {
    int32_t low = 0;
    int32_t high = 0;
};
IntRange IntCodeRange(uint8_t intCode);

// A registered IntCode: the scaling line runs between the raw limits, the
// real range between the real limits.
EffectiveRange RegisteredRange(const ParDef& def);
// The range code: both the scaling line and the real range run between the
// real values of the two range parameters.
EffectiveRange RangeBetween(const ParDef& def, double low, double high);

// The number of a range parameter: a real limit truncated toward zero, of
// which the low 32 bits count (0 for a limit that is no number at all).
uint32_t RangeParameterId(double limit);

bool IsHexUnit(const ParDef& def);
bool IsScaled(const ParDef& def);

// The real value of a raw word. False (and nothing stored) when a scaled
// definition's IntCode range is empty, which would divide by zero.
bool RawToReal(const ParDef& def, const EffectiveRange& range, uint16_t raw, double& real);

// The raw number of a real value before rounding. False when a scaled
// definition's scaling line is empty or the result is no finite number.
bool RealToUnroundedRaw(const ParDef& def, const EffectiveRange& range, double value, double& raw);

// Halves away from zero: 2.5 -> 3, -2.5 -> -3.
double RoundHalfAwayFromZero(double x);
// Halves to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double RoundHalfEven(double x);
// The low 16 bits of a whole number, negative numbers in two's complement.
uint16_t LowWord(double whole);

}  // namespace vek
