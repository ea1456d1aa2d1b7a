#include "Check.hpp"
#include "FuzzTargets.hpp"
#include "pardef/Record.hpp"
#include "support/ValueDefinitions.hpp"
#include "values/RealValues.hpp"
#include "values/ValueParsing.hpp"
#include "values/ValueText.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

namespace vekfuzz {

namespace {

using vektest::intcode::Empty;
using vektest::intcode::Signed;
using vektest::intcode::TenBit;
using vektest::intcode::Unsigned;

constexpr uint8_t kScaled = 0x08;
constexpr uint8_t kTwoHexDigits = 0x80;
constexpr uint8_t Decimals(uint8_t d) { return static_cast<uint8_t>(d << 4); }
constexpr uint8_t kUnknownIntCode = 200;  // beyond the installed IntCode table

// Version-style numbers are shown so only on these hardware families.
constexpr uint32_t kFirstVersionNumber = 3840;
constexpr uint32_t kLastVersionNumber = 3847;
constexpr uint8_t kVersionStyleHardware = 5;
constexpr uint8_t kOrdinaryHardware = 6;
constexpr uint8_t kVersionStyleBit = 0x80;

constexpr size_t kHeaderBytes = 2;  // definition choice, text capacity

struct Kind {
    uint32_t id;
    int32_t min;
    int32_t max;
    uint8_t format;
    uint8_t intCode;
    const char16_t* unit;
    const char16_t* name;
};

// One definition of every kind the display text distinguishes.
constexpr Kind kKinds[] = {
    {1, 400, 1500, 0, Unsigned, u"rpm", u"IdleSpeed"},
    {2, 0, 1000, Decimals(1), Unsigned, u"%", u"Droop"},
    {3, -500, 500, Decimals(1), Signed, u"C", u"TempOffset"},
    {4, -32768, 32767, Decimals(3), Signed, u"", u"Gain"},
    {5, 0, 0xFF, kTwoHexDigits, Unsigned, u"Hex", u"NodeId"},
    {6, 0, 0xFFFF, 0, Unsigned, u"hex", u"Flags"},
    {7, -50, 1050, Decimals(1) | kScaled, TenBit, u"%", u"ActuatorPos"},
    {8, 5, 5, 0, Empty, u"", u"Fixed"},
    {9, 0, 100, kScaled, Empty, u"", u"EmptyScale"},
    {10, 0, 100, Decimals(7), Unsigned, u"", u"Fine"},
    {11, 0, 100, 0, kUnknownIntCode, u"", u"NoCode"},
    {13, 0, 2400, Decimals(1), Unsigned, u"rpm", u"LimitLow"},
    {14, 0, 2400, Decimals(1), Unsigned, u"rpm", u"LimitHigh"},
    {kFirstVersionNumber, 0, 65535, Decimals(2), Unsigned, u"", u"SoftwareVersion"},
    {3841, 0, 9999, Decimals(2), Unsigned, u"", u"HardwareVersion"},
    {3843, 0, 999, 0, Unsigned, u"", u"ParameterVersion"},
    {3846, 0, 0, 0, Unsigned, u"", u"ConfigVersion"},
    {kLastVersionNumber, -100, -5, 0, Signed, u"", u"CustomerVersion"},
};

// Range-limited definitions: by two defined parameters, by a missing one,
// and by itself (nesting without end).
struct Ranged {
    uint32_t id;
    uint32_t lowId;
    uint32_t highId;
};
constexpr Ranged kRanged[] = {{12, 13, 14}, {15, 16, 17}, {18, 18, 18}};
constexpr uint16_t kLowLimitRaw = 100;
constexpr uint16_t kHighLimitRaw = 2000;
constexpr uint16_t kSelfLimitRaw = 1;

constexpr size_t kDefinitionCount = std::size(kKinds) + std::size(kRanged);
constexpr size_t kRoundTripCapacity = 256;

void DefineAll(bool versionStyle) {
    vektest::ResetValueState();
    VekDirectSet(0);  // parsing stays in memory: there is no governor
    VekGetVekStruct()->HardwareMajor = versionStyle ? kVersionStyleHardware : kOrdinaryHardware;
    for (const Kind& k : kKinds) vektest::Define(k.id, k.min, k.max, k.format, k.intCode, k.unit, k.name);
    for (const Ranged& r : kRanged) vektest::DefineRanged(r.id, r.lowId, r.highId, Decimals(1));
    VekGetParDef(13)->RawValue = kLowLimitRaw;
    VekGetParDef(14)->RawValue = kHighLimitRaw;
    VekGetParDef(18)->RawValue = kSelfLimitRaw;
}

uint32_t ChosenId(uint8_t choice) {
    const size_t index = choice % kDefinitionCount;
    return index < std::size(kKinds) ? kKinds[index].id : kRanged[index - std::size(kKinds)].id;
}

// Text made for a cached raw value parses back to that raw value when the
// display text shows it exactly: no scaling, no version style, and for
// hexadecimal text whole non-negative numbers.
bool ShownExactly(const ParDef& def) {
    if (def.Format & kScaled) return false;
    if (def.Id >= kFirstVersionNumber && def.Id <= kLastVersionNumber) return false;
    return !vek::IsHexUnit(def) || (vek::Decimals(def.Format) == 0 && def.Min >= 0);
}

void CheckRoundTrip(uint32_t id) {
    ParDef& def = *VekGetParDef(id);
    if (!ShownExactly(def)) return;
    const uint16_t raw = def.RawValue;
    vek::Char text[kRoundTripCapacity] = {};
    VEK_FUZZ_CHECK(vek::GetValueText(id, text, kRoundTripCapacity), "a parsed value has display text");
    std::string narrow;
    for (const vek::Char* c = text; *c; ++c) narrow.push_back(static_cast<char>(*c));
    def.RawValue = static_cast<uint16_t>(raw + 1);
    VEK_FUZZ_CHECK(vek::VekParseValue(id, narrow), "the display text of a parsed value parses");
    VEK_FUZZ_CHECK(def.RawValue == raw, "the display text parses back to the same raw value");
}

// A heap buffer of exactly capacity characters, so that any write beyond it is caught.
std::unique_ptr<VekChar[]> Buffer(size_t capacity) { return std::unique_ptr<VekChar[]>(new VekChar[capacity]); }

void CheckTerminated(const VekChar* text, size_t capacity, const char* what) {
    if (capacity == 0) return;
    VEK_FUZZ_CHECK(std::find(text, text + capacity, VekChar(0)) != text + capacity, what);
}

void Format(uint32_t id, std::string_view bytes, uint16_t capacity) {
    double value = 0;
    std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
    auto text = Buffer(capacity);
    VekFormatValue(id, value, text.get(), capacity);
    CheckTerminated(text.get(), capacity, "formatted text ends within its buffer");
    if (VekGetValue(id, text.get(), capacity)) CheckTerminated(text.get(), capacity, "value text ends within its buffer");

    uint16_t raw = 0;
    std::memcpy(&raw, bytes.data(), std::min(bytes.size(), sizeof raw));
    double real = 0;
    VekConvertToRealValue(id, raw, &real);

    const uint16_t otherCapacity = static_cast<uint16_t>(UINT8_MAX - capacity);
    auto low = Buffer(capacity);
    auto high = Buffer(otherCapacity);
    if (VekGetValueMinMax(id, low.get(), capacity, high.get(), otherCapacity)) {
        CheckTerminated(low.get(), capacity, "lower limit text ends within its buffer");
        CheckTerminated(high.get(), otherCapacity, "upper limit text ends within its buffer");
    }
    auto range = Buffer(vek::kRangeTextCapacity);
    if (VekGetValueRange(id, range.get())) CheckTerminated(range.get(), vek::kRangeTextCapacity, "range text ends");
}

// The bytes read as 16-bit characters (low byte first), as a caller hands them to VekSetValue.
std::u16string Wide(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8));
    }
    return text;
}

}  // namespace

int FuzzValueText(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) return 0;
    DefineAll((data[0] & kVersionStyleBit) != 0);
    const uint32_t id = ChosenId(data[0]);
    const uint16_t capacity = data[1];
    const std::string_view text(reinterpret_cast<const char*>(data + kHeaderBytes), size - kHeaderBytes);

    if (vek::VekParseValue(id, text)) CheckRoundTrip(id);
    const std::u16string wide = Wide(text);
    VekSetValue(id, reinterpret_cast<const VekChar*>(wide.c_str()));
    Format(id, text, capacity);
    VekClearParDefs();
    return 0;
}

}  // namespace vekfuzz
