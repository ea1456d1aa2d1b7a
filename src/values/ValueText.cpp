#include "values/ValueText.hpp"

#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"
#include "values/Arguments.hpp"
#include "values/Conversion.hpp"

#include <cmath>

namespace vek {

namespace {

// The version numbers shown in the version style on some hardware.
constexpr uint32_t kFirstVersionId = 0xF00;
constexpr uint32_t kLastVersionId = 0xF07;
constexpr uint8_t kVersionStyleMajors[] = {4, 5, 21};
// Below this Max a version has two parts (12.34), else three (12.3.45).
constexpr int32_t kThreePartVersionMax = 10000;
constexpr std::size_t kFormatTemplateCapacity = 32;

bool UsesVersionStyle(uint32_t id) {
    if (id < kFirstVersionId || id > kLastVersionId) return false;
    for (uint8_t major : kVersionStyleMajors) {
        if (Device().HardwareMajor == major) return true;
    }
    return false;
}

// The count of decimal digits of max; 1 when max is 0 or negative.
unsigned DigitCount(int32_t max) {
    unsigned digits = 1;
    for (int32_t rest = max; rest >= 10; rest /= 10) ++digits;
    return digits;
}

void FormatVersion(const ParDef& def, double value, Char* text, std::size_t capacity) {
    const int decimals = Decimals(def.Format);
    const unsigned v = LowWord(std::trunc(value * DecimalDivisor(decimals)));
    if (decimals == 0) {
        Char format[kFormatTemplateCapacity];
        Format(format, kFormatTemplateCapacity, u"%%0%uu", DigitCount(def.Max));
        Format(text, capacity, format, v);
    } else if (def.Max < kThreePartVersionMax) {
        Format(text, capacity, u"%02u.%02u", v / 100, v % 100);
    } else {
        Format(text, capacity, u"%02u.%01u.%02u", v / 1000, (v / 100) % 10, v % 100);
    }
}

// A negative value that rounds to zero at the shown decimals ("-0", "-0.0")
// is zero, and zero has no sign.
// text[capacity] holds what Format wrote: nothing at all when capacity is 0.
void DropSignOfZero(Char* text, std::size_t capacity) {
    if (capacity == 0 || text[0] != u'-') return;
    std::size_t length = 1;
    for (; length < capacity && text[length]; ++length) {
        if (text[length] != u'0' && text[length] != u'.') return;
    }
    std::char_traits<Char>::move(text, text + 1, length);
}

void FormatOrdinary(const ParDef& def, double value, Char* text, std::size_t capacity) {
    if (IsHexUnit(def)) {
        const unsigned word = LowWord(std::trunc(value));
        const bool twoDigits = (def.Format & format_bits::HexTwoDigits) != 0;
        Format(text, capacity, twoDigits ? u"%02X" : u"%04X", word);
        return;
    }
    Char format[kFormatTemplateCapacity];
    Format(format, kFormatTemplateCapacity, u"%%0.%uf", Decimals(def.Format));
    Format(text, capacity, format, value);
    DropSignOfZero(text, capacity);
}

}  // namespace

bool FormatValue(uint32_t id, double value, Char* text, std::size_t capacity) {
    const ParDef* def = FindParDef(id);
    if (!def) {
        CopyText(text, capacity, u"");
        LogTranslated(u"Parameter %d does not exist", id);
        return false;
    }
    if (UsesVersionStyle(id)) {
        FormatVersion(*def, value, text, capacity);
    } else {
        FormatOrdinary(*def, value, text, capacity);
    }
    return true;
}

bool GetValueText(uint32_t id, Char* text, std::size_t capacity) {
    double value = 0;
    return GetRealValue(id, value) && FormatValue(id, value, text, capacity);
}

bool GetValueMinMax(uint32_t id, Char* low, std::size_t lowCapacity, Char* high, std::size_t highCapacity) {
    const ParDef* def = FindParDef(id);
    if (!def) return false;
    double lowValue = def->RealMin;
    double highValue = def->RealMax;
    if (def->IntCode == kRangeIntCode) {
        const uint16_t lowId = static_cast<uint16_t>(RangeParameterId(def->RealMin));
        const uint16_t highId = static_cast<uint16_t>(RangeParameterId(def->RealMax));
        if (!RangeLimitValue(lowId, lowValue) || !RangeLimitValue(highId, highValue)) return false;
    }
    FormatValue(id, lowValue, low, lowCapacity);
    FormatValue(id, highValue, high, highCapacity);
    return true;
}

bool GetValueRange(uint32_t id, Char* text) {
    Char low[kRangeTextCapacity];
    Char high[kRangeTextCapacity];
    if (!GetValueMinMax(id, low, kRangeTextCapacity, high, kRangeTextCapacity)) return false;
    Format(text, kRangeTextCapacity, u"%s .. %s", low, high);
    return true;
}

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekFormatValue(uint32_t id, double value, VekChar* text, uint16_t capacity) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (!vek::ArgumentsGiven(u"VekFormatValue", text)) return 0;
        return vek::FormatValue(id, value, vek::FromApi(text), capacity) ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekGetValue(uint32_t id, VekChar* text, uint16_t capacity) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (!vek::ArgumentsGiven(u"VekGetValue", text)) return 0;
        return vek::GetValueText(id, vek::FromApi(text), capacity) ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekGetValueMinMax(uint32_t id, VekChar* low, uint16_t lowCapacity, VekChar* high,
                                           uint16_t highCapacity) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (!vek::ArgumentsGiven(u"VekGetValueMinMax", low, high)) return 0;
        return vek::GetValueMinMax(id, vek::FromApi(low), lowCapacity, vek::FromApi(high), highCapacity) ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekGetValueRange(uint32_t id, VekChar* text) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (!vek::ArgumentsGiven(u"VekGetValueRange", text)) return 0;
        return vek::GetValueRange(id, vek::FromApi(text)) ? 1 : 0;
    });
}

}  // extern "C"
