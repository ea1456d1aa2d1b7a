#include "values/ValueParsing.hpp"

#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"
#include "values/Arguments.hpp"
#include "values/Conversion.hpp"
#include "values/NumberParsing.hpp"
#include "values/RawValues.hpp"
#include "values/ValueText.hpp"

#include <string>

namespace vek {

namespace {

constexpr Char kLastByteCharacter = 0xFF;

// The range of def for parsing; the range code takes the whole 32-bit
// numbers of its range parameters and fails silently when one is missing.
bool ParseRange(const ParDef& def, EffectiveRange& range) {
    if (def.IntCode < Device().IntCodeCount) {
        range = RegisteredRange(def);
        return true;
    }
    if (def.IntCode != kRangeIntCode) {
        LogTranslated(u"VekParseValue: cannot find IntCode definition %u (registered number %u) for parameter %u %s",
                      def.IntCode, Device().IntCodeCount, def.Id, NameOf(def));
        return false;
    }
    double low = 0;
    double high = 0;
    if (!RangeLimitValue(RangeParameterId(def.RealMin), low) ||
        !RangeLimitValue(RangeParameterId(def.RealMax), high)) {
        return false;
    }
    range = RangeBetween(def, low, high);
    return true;
}

// The number written in text, by the definition's unit.
bool ReadNumber(const ParDef& def, std::string_view text, double& value) {
    if (IsHexUnit(def)) {
        uint32_t number = 0;
        if (!ScanHexNumber(text, number)) return false;
        value = number;
        return true;
    }
    std::string cleaned;
    if (!CleanDecimalText(text, cleaned)) return false;
    value = ReadLeadingNumber(cleaned);
    return true;
}

}  // namespace

bool VekParseValue(uint32_t id, std::string_view text) {
    text = text.substr(0, text.find('\0'));
    ParDef* def = FindParDef(id);
    if (!def) {
        LogTranslated(u"Parameter %d does not exist", id);
        return false;
    }
    EffectiveRange range;
    if (!ParseRange(*def, range)) return false;
    double value = 0;
    if (!ReadNumber(*def, text, value)) {
        LogTranslated(u"Invalid number format: %s", text);
        return false;
    }
    if (value < range.RealLow || value > range.RealHigh) {
        Char rangeText[kRangeTextCapacity] = {};
        GetValueRange(id, rangeText);
        LogTranslated(u"Parameter value is out of range [%s] => %u: %s  [%s]", text, id, NameOf(*def), rangeText);
        return false;
    }
    double raw = 0;
    if (!RealToUnroundedRaw(*def, range, value, raw)) {
        LogTranslated(u"VekParseValue: cannot scale the value %s of parameter %u %s (empty scaling range)", text, id,
                      NameOf(*def));
        return false;
    }
    StoreRawValue(*def, LowWord(RoundHalfEven(raw)));
    return true;
}

bool SetValue(uint32_t id, TextView text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (Char c : text) {
        // 8-bit text has no place for these; refuse rather than guess.
        if (c > kLastByteCharacter) {
            LogTranslated(u"Invalid number format: %s", text);
            return false;
        }
        bytes.push_back(static_cast<char>(c));
    }
    if (!VekParseValue(id, bytes)) return false;
    if (!DirectSetEnabled()) return true;
    if (WriteRawValue(id, FindParDef(id)->RawValue)) return true;
    LogTranslated(u"Failed to set parameter %u with %s", id, text);
    return false;
}

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekSetValue(uint32_t id, const VekChar* text) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (!vek::ArgumentsGiven(u"VekSetValue", text)) return 0;
        return vek::SetValue(id, vek::FromApi(text)) ? 1 : 0;
    });
}

}  // extern "C"
