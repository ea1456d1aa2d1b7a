#include "PhysicalValues.hpp"

#include <algorithm>
#include <cmath>

#include "GovernorModel.hpp"
#include "Values.hpp"

namespace vekgov {

namespace {

constexpr unsigned kDecimalsShift = 4;
constexpr uint8_t kDecimalsMask = 0x07;
constexpr uint8_t kScaledFormat = 0x08;
constexpr uint8_t kRangeIntCode = 250;

// A pair of raw limits; the lower one is signed when it lies above the upper.
struct RawSpan {
    double low;
    double high;
};

RawSpan SpanOf(uint16_t min, uint16_t max) {
    const double low = min > max ? static_cast<int16_t>(min) : min;
    return {low, static_cast<double>(max)};
}

struct Conversion {
    double divisor;                // 10 to the power of the decimals
    RawSpan raw;                   // the words the value may take
    std::optional<RawSpan> scale;  // the limits the raw span stands for, when scaled
};

Conversion ConversionOf(const GovernorModel& model, const Definition& d) {
    Conversion c{std::pow(10.0, (d.format >> kDecimalsShift) & kDecimalsMask), SpanOf(d.min, d.max),
                 std::nullopt};
    if (d.intCode == kRangeIntCode) c.raw = {INT16_MIN, UINT16_MAX};  // its limits are parameter numbers
    const bool scaled = (d.format & kScaledFormat) && d.intCode < model.profile.intCodes.size();
    if (scaled) {
        const IntCodeRange& code = model.profile.intCodes[d.intCode];
        c.scale = c.raw;
        c.raw = SpanOf(code.min, code.max);
    }
    return c;
}

}  // namespace

std::optional<double> ReadPhysical(const GovernorModel& model, uint32_t number) {
    const Definition* definition = DefinitionOf(model, number);
    if (!definition) return std::nullopt;
    const Conversion c = ConversionOf(model, *definition);
    const uint16_t word = *ReadValue(model, number);
    double raw = c.raw.low < 0 ? static_cast<int16_t>(word) : word;
    if (c.scale && c.raw.high != c.raw.low) {
        raw = c.scale->low + (raw - c.raw.low) * (c.scale->high - c.scale->low) / (c.raw.high - c.raw.low);
    }
    return raw / c.divisor;
}

void TakePhysical(const GovernorModel& model, uint32_t number, double& setting) {
    if (const std::optional<double> value = ReadPhysical(model, number)) setting = *value;
}

bool WritePhysical(GovernorModel& model, uint32_t number, double value) {
    const Definition* definition = DefinitionOf(model, number);
    if (!definition) return false;
    const Conversion c = ConversionOf(model, *definition);
    double raw = value * c.divisor;
    if (c.scale && c.scale->high != c.scale->low) {
        raw = c.raw.low + (raw - c.scale->low) * (c.raw.high - c.raw.low) / (c.scale->high - c.scale->low);
    }
    raw = std::max(c.raw.low, std::min(std::round(raw), c.raw.high));
    return WriteValue(model, number,
                      static_cast<uint16_t>(static_cast<int32_t>(raw)));  // negative: two's complement
}

}  // namespace vekgov
