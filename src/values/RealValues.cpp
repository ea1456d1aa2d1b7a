#include "values/RealValues.hpp"

#include "core/State.hpp"
#include "pardef/Record.hpp"

#include <cmath>

namespace vek {

namespace {

constexpr double kWordModulus = 65536.0;
// Doubles at or beyond this magnitude do not fit a 64-bit integer.
constexpr double kInt64Limit = 9223372036854775808.0;

}  // namespace

IntRange IntCodeRange(uint8_t intCode) {
    // Read through the record: the packed table's entries may be misaligned.
    const VekStruct& device = Device();
    return {device.IntCodeTable[intCode][0], device.IntCodeTable[intCode][1]};
}

EffectiveRange RegisteredRange(const ParDef& def) {
    const IntRange ints = IntCodeRange(def.IntCode);
    return {ints.low, ints.high, static_cast<double>(def.Min), static_cast<double>(def.Max), def.RealMin,
            def.RealMax};
}

EffectiveRange RangeBetween(const ParDef& def, double low, double high) {
    const IntRange ints = IntCodeRange(def.IntCode);
    return {ints.low, ints.high, low, high, low, high};
}

uint32_t RangeParameterId(double limit) {
    const double whole = std::trunc(limit);
    if (!std::isfinite(whole) || std::fabs(whole) >= kInt64Limit) return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(whole));
}

bool IsHexUnit(const ParDef& def) { return EqualsIgnoringCase(UnitOf(def), u"Hex"); }

bool IsScaled(const ParDef& def) { return (def.Format & format_bits::Scaled) != 0; }

bool RawToReal(const ParDef& def, const EffectiveRange& range, uint16_t raw, double& real) {
    // The word is signed exactly when the integer range reaches below zero.
    const int64_t x = range.IntLow < 0 ? static_cast<int16_t>(raw) : raw;
    const int64_t intSpan = static_cast<int64_t>(range.IntHigh) - range.IntLow;
    double b;
    if (IsHexUnit(def)) {
        b = raw;  // hexadecimal values are shown as the plain word
    } else if (IsScaled(def)) {
        if (intSpan == 0) return false;
        b = range.ScaleLow + static_cast<double>(x - range.IntLow) * (range.ScaleHigh - range.ScaleLow) /
                                 static_cast<double>(intSpan);
    } else {
        b = static_cast<double>(x);
    }
    double m = RoundHalfAwayFromZero(b) / DecimalDivisor(Decimals(def.Format));
    if (m > range.RealHigh) m = range.RealHigh;
    if (m < range.RealLow) m = range.RealLow;
    real = m;
    return true;
}

bool RealToUnroundedRaw(const ParDef& def, const EffectiveRange& range, double value, double& raw) {
    const double scaledValue = value * DecimalDivisor(Decimals(def.Format));
    double t = scaledValue;
    if (IsScaled(def)) {
        const double scaleSpan = range.ScaleHigh - range.ScaleLow;
        if (scaleSpan == 0) return false;
        const double intSpan = static_cast<double>(static_cast<int64_t>(range.IntHigh) - range.IntLow);
        t = range.IntLow + (scaledValue - range.ScaleLow) * intSpan / scaleSpan;
    }
    if (!std::isfinite(t)) return false;
    raw = t;
    return true;
}

double RoundHalfAwayFromZero(double x) { return x >= 0 ? std::trunc(x + 0.5) : std::trunc(x - 0.5); }

double RoundHalfEven(double x) {
    const double sign = x > 0 ? 1.0 : -1.0;
    const double whole = std::trunc(x);
    const double fraction = std::fabs(x - whole);
    if (fraction < 0.5) return whole;
    if (fraction > 0.5) return whole + sign;
    const bool even = std::fmod(std::fabs(whole), 2.0) < 0.5;
    return even ? whole : whole + sign;
}

uint16_t LowWord(double whole) {
    if (!std::isfinite(whole)) return 0;
    double rest = std::fmod(whole, kWordModulus);  // exact, with the sign of whole
    if (rest < 0) rest += kWordModulus;
    return static_cast<uint16_t>(rest);
}

}  // namespace vek
