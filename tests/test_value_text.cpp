// Display text and parsing: decimals, hexadecimal, the version style, cut
// texts, limit and range texts, number cleaning, both roundings on the way
// back, the range check and VekSetValue with and without direct set.
#include "VekLib.h"
#include "core/State.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/ValueDefinitions.hpp"
#include "values/NumberParsing.hpp"
#include "values/ValueParsing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace vektest;

constexpr VekChar kUntouched = 0x2222;

class ValueText : public ::testing::Test {
protected:
    void SetUp() override { ResetValueState(); }

    std::u16string Text(uint32_t id, double value) {
        VekChar text[64];
        EXPECT_EQ(VekFormatValue(id, value, text, 64), 1);
        return ToText(text);
    }
    std::u16string Range(uint32_t id) {
        VekChar text[256];
        EXPECT_EQ(VekGetValueRange(id, text), 1);
        return ToText(text);
    }
    // Parses and returns the raw value, or -1 when parsing failed.
    long Parse(uint32_t id, const std::string& text) {
        const uint16_t before = VekGetParDef(id) ? VekGetParDef(id)->RawValue : 0;
        if (!vek::VekParseValue(id, text)) {
            if (VekGetParDef(id)) {
                EXPECT_EQ(VekGetParDef(id)->RawValue, before) << "changed by a failed parse";
            }
            return -1;
        }
        return VekGetParDef(id)->RawValue;
    }
    bool SetValue(uint32_t id, const std::u16string& text) {
        return VekSetValue(id, reinterpret_cast<const VekChar*>(text.c_str())) == 1;
    }

    LogCapture log;
    ScriptedStream line;
};

// ---------------------------------------------------------------------------
// Formatting

TEST_F(ValueText, OrdinaryTextHasExactlyTheDecimalsOfTheFormat) {
    Define(1, 0, 100000, 0x20);
    Define(2, 0, 100, 0x00);
    Define(3, -100, 100, 0x10, intcode::Signed);
    EXPECT_EQ(Text(1, 12.346), u"12.35");
    EXPECT_EQ(Text(1, 3), u"3.00");
    EXPECT_EQ(Text(2, 7), u"7");
    EXPECT_EQ(Text(3, -0.5), u"-0.5");
    // A value that rounds to zero from below is a zero without a sign.
    EXPECT_EQ(Text(3, -0.04), u"0.0");
    EXPECT_EQ(Text(2, -0.0), u"0");
    EXPECT_EQ(Text(1, -0.004), u"0.00");
    EXPECT_EQ(Text(1, -0.005001), u"-0.01");
}

TEST_F(ValueText, HexUnitShowsTwoOrFourUpperCaseDigits) {
    Define(4, 0, 65535, 0x80, intcode::Unsigned, u"HEX");
    Define(5, 0, 65535, 0x00, intcode::Unsigned, u"Hex");
    EXPECT_EQ(Text(4, 10), u"0A");
    EXPECT_EQ(Text(4, 4660), u"1234");  // two digits at least, not at most
    EXPECT_EQ(Text(5, 10), u"000A");
    EXPECT_EQ(Text(5, 65535.9), u"FFFF");
}

TEST_F(ValueText, VersionNumbersOnSomeHardwareUseTheVersionStyle) {
    Define(3840, 0, 0, 0x00);
    Define(3841, 0, 9999, 0x20);
    Define(3842, 0, 12000, 0x20);
    Define(3843, 0, 999, 0x00);
    Define(3848, 0, 9999, 0x20);
    for (uint8_t major : {4, 5, 21}) {
        vek::Device().HardwareMajor = major;
        EXPECT_EQ(Text(3841, 1.23), u"01.23") << "major " << int(major);
        EXPECT_EQ(Text(3842, 123.45), u"12.3.45");
        EXPECT_EQ(Text(3843, 7), u"007");
        EXPECT_EQ(Text(3840, 7), u"7");
        EXPECT_EQ(Text(3848, 1.23), u"1.23");  // not one of the eight
    }
    vek::Device().HardwareMajor = 6;
    EXPECT_EQ(Text(3841, 1.23), u"1.23");
    EXPECT_EQ(Text(3843, 7), u"7");
}

TEST_F(ValueText, TextIsCutToTheCapacityWithItsTerminator) {
    Define(1, 0, 100000, 0x20);
    VekChar text[8];
    std::fill(std::begin(text), std::end(text), kUntouched);
    EXPECT_EQ(VekFormatValue(1, 12.346, text, 4), 1);
    EXPECT_EQ(ToText(text), u"12.");
    EXPECT_EQ(text[4], kUntouched);
}

TEST_F(ValueText, NumberWithoutDefinitionHasNoText) {
    VekChar text[8];
    std::fill(std::begin(text), std::end(text), kUntouched);
    EXPECT_EQ(VekFormatValue(9, 1.0, text, 8), 0);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(VekGetValue(9, text, 8), 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Parameter 9 does not exist",
                                                     "VekGetRealValue: failed to call VekGetParDef(9)"}));
}

TEST_F(ValueText, GetValueFormatsTheCachedRawValue) {
    Define(1, 0, 100000, 0x20)->RawValue = 1234;
    VekChar text[16];
    ASSERT_EQ(VekGetValue(1, text, 16), 1);
    EXPECT_EQ(ToText(text), u"12.34");
}

TEST_F(ValueText, LimitAndRangeTexts) {
    Define(6, -50, 1000, 0x10, intcode::Signed);
    EXPECT_EQ(Range(6), u"-5.0 .. 100.0");

    VekChar low[4];
    VekChar high[16];
    ASSERT_EQ(VekGetValueMinMax(6, low, 4, high, 16), 1);
    EXPECT_EQ(ToText(low), u"-5.");
    EXPECT_EQ(ToText(high), u"100.0");
    EXPECT_EQ(VekGetValueMinMax(7, low, 4, high, 16), 0);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(ValueText, RangeCodeLimitsAreTheRangeParametersFormattedAsTheParameter) {
    Define(10, 0, 1000)->RawValue = 20;
    Define(11, 0, 1000)->RawValue = 300;
    DefineRanged(100, 10, 11, 0x10);
    EXPECT_EQ(Range(100), u"20.0 .. 300.0");

    DefineRanged(101, 10, 12);
    VekChar text[256];
    EXPECT_EQ(VekGetValueRange(101, text), 0);
    EXPECT_TRUE(log.Lines().empty());
}

// ---------------------------------------------------------------------------
// Parsing

TEST_F(ValueText, DecimalTextsAreCleanedBeforeReading) {
    Define(20, 0, 100000, 0x10);
    EXPECT_EQ(Parse(20, "1'234,5"), 12345);
    for (const char* invalid : {"1.000,5", "+5", "5E2", " 5", "5 ", "", "'", "-", "1e2e3", "--5"}) {
        EXPECT_EQ(Parse(20, invalid), -1) << invalid;
        EXPECT_TRUE(log.Contains(std::string("Invalid number format: ") + invalid)) << invalid;
    }
    Define(21, -1000, 1000, 0x00, intcode::Signed);
    EXPECT_EQ(Parse(21, "-5"), 0xFFFB);
    EXPECT_EQ(Parse(21, "5-"), 5);   // the minus after the number is ignored
    EXPECT_EQ(Parse(21, "e5"), 0);   // nothing readable at the start
    EXPECT_EQ(Parse(21, "5e1"), 50);
    EXPECT_EQ(Parse(21, ".5e1"), 5);
    EXPECT_EQ(Parse(21, "1e"), 1);
}

TEST_F(ValueText, ParsingRoundsHalvesToEven) {
    Define(22, -100, 100, 0x00, intcode::Signed);
    EXPECT_EQ(Parse(22, "2.5"), 2);
    EXPECT_EQ(Parse(22, "3.5"), 4);
    EXPECT_EQ(Parse(22, "-2.5"), 0xFFFE);
    EXPECT_EQ(Parse(22, "2.51"), 3);
}

TEST_F(ValueText, HexTextIsScannedLikeScanf) {
    Define(23, 0, 65535, 0x00, intcode::Unsigned, u"hex");
    EXPECT_EQ(Parse(23, "1a"), 26);
    EXPECT_EQ(Parse(23, "0x1A"), 26);
    EXPECT_EQ(Parse(23, " \t+1Azz"), 26);
    EXPECT_EQ(Parse(23, "0"), 0);
    EXPECT_EQ(Parse(23, "zz"), -1);
    EXPECT_EQ(Parse(23, ""), -1);
    EXPECT_EQ(Parse(23, "-1"), -1);  // 0xFFFFFFFF, out of range
    EXPECT_TRUE(log.Contains("Invalid number format: zz"));
    EXPECT_TRUE(log.Contains("Parameter value is out of range [-1] => 23:   [0000 .. FFFF]"));

    uint32_t value = 0;
    ASSERT_TRUE(vek::ScanHexNumber("123456789", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);  // too large: saturated
    ASSERT_TRUE(vek::ScanHexNumber("0xg", value));
    EXPECT_EQ(value, 0u);  // the 0 is the number, "xg" follows it
}

TEST_F(ValueText, ValuesMustLieWithinTheRealRange) {
    Define(24, -50, 1000, 0x10, intcode::Signed, u"", u"Speed");
    EXPECT_EQ(Parse(24, "-5.0"), 0xFFCE);
    EXPECT_EQ(Parse(24, "100"), 1000);
    EXPECT_EQ(Parse(24, "100.01"), -1);
    EXPECT_EQ(Parse(24, "-5.01"), -1);
    EXPECT_EQ(Parse(24, "1e999"), -1);
    EXPECT_TRUE(log.Contains("Parameter value is out of range [100.01] => 24: Speed  [-5.0 .. 100.0]"));
    EXPECT_TRUE(log.Contains("Parameter value is out of range [1e999] => 24: Speed  [-5.0 .. 100.0]"));

    VekAddParDef(25);  // added after a download: RealMin = RealMax = 0
    EXPECT_EQ(Parse(25, "0"), 0);
    EXPECT_EQ(Parse(25, "1"), -1);
}

TEST_F(ValueText, ScaledTextGoesBackOnTheScalingLine) {
    Define(26, 0, 1000, 0x18, intcode::TenBit);
    EXPECT_EQ(Parse(26, "50.0"), 512);  // 511.5, to even
    EXPECT_EQ(Parse(26, "50.1"), 513);
    Define(27, 10, 10, 0x08, intcode::TenBit, u"", u"Flat");
    EXPECT_EQ(Parse(27, "10"), -1);
    EXPECT_TRUE(log.Contains("VekParseValue: cannot scale the value 10 of parameter 27 Flat (empty scaling range)"));
}

TEST_F(ValueText, CleanedTextHasRoomFor259Characters) {
    Define(28, 0, 1000);
    const std::string longest(259, '0');
    EXPECT_EQ(Parse(28, longest), 0);
    EXPECT_EQ(Parse(28, "1'" + std::string(258, '0')), -1);  // 259 after cleaning: read, but out of range
    EXPECT_TRUE(log.Lines().back().rfind("Parameter value is out of range [1'000", 0) == 0);
    EXPECT_EQ(Parse(28, longest + "0"), -1);
    EXPECT_EQ(log.Lines().back(), "Invalid number format: " + longest + "0");
}

TEST_F(ValueText, ParsingFailsForUnknownDefinitionsAndIntCodes) {
    EXPECT_EQ(Parse(29, "1"), -1);
    Define(30, 0, 10, 0x00, 9, u"", u"Speed");
    EXPECT_EQ(Parse(30, "1"), -1);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "Parameter 29 does not exist",
                               "VekParseValue: cannot find IntCode definition 9 (registered number 4) for parameter 30 Speed",
                           }));
}

TEST_F(ValueText, RangeCodeParsingTakesTheWholeRangeNumbers) {
    Define(10, 0, 1000)->RawValue = 2;
    Define(11, 0, 1000)->RawValue = 300;
    DefineRanged(100, 10, 11);
    EXPECT_EQ(Parse(100, "25"), 25);
    EXPECT_EQ(Parse(100, "1"), -1);
    EXPECT_TRUE(log.Contains("Parameter value is out of range [1] => 100:   [2 .. 300]"));

    DefineRanged(101, 0x10000 + 10, 11);  // conversion would take 10; parsing looks for 65546
    EXPECT_EQ(Parse(101, "25"), -1);
    EXPECT_EQ(log.Lines().size(), 1u);  // no line of its own
}

// ---------------------------------------------------------------------------
// VekSetValue

TEST_F(ValueText, SetValueWithoutDirectSetOnlyChangesTheCache) {
    Define(24, -50, 1000, 0x10, intcode::Signed);
    VekDirectSet(0);
    EXPECT_TRUE(SetValue(24, u"12.5"));
    EXPECT_EQ(VekGetParDef(24)->RawValue, 125);
    EXPECT_TRUE(line.Written().empty());
}

TEST_F(ValueText, SetValueWritesTheParsedValue) {
    Define(24, -50, 1000, 0x10, intcode::Signed);
    line.Expect({0x2D, 0x18, 0x00, 0x7D, 0x00, 0x95, 0x00}).ReplyWord(0);
    EXPECT_TRUE(SetValue(24, u"12.5"));
    EXPECT_TRUE(line.Complete());
    EXPECT_TRUE(line.Mismatches().empty());
    EXPECT_EQ(VekGetParDef(24)->RawValue, 125);
}

TEST_F(ValueText, FailedWriteLeavesTheParsedValueInTheCache) {
    Define(24, -50, 1000, 0x10, intcode::Signed);
    line.Expect({0x2D, 0x18, 0x00, 0x7D, 0x00, 0x95, 0x00}).ReplyWord(1);
    EXPECT_FALSE(SetValue(24, u"12,5"));
    EXPECT_EQ(VekGetParDef(24)->RawValue, 125);
    EXPECT_EQ(log.Lines().back(), "Failed to set parameter 24 with 12,5");
}

TEST_F(ValueText, SetValueRefusesCharactersBeyondEightBits) {
    Define(24, -50, 1000, 0x10, intcode::Signed)->RawValue = 7;
    EXPECT_FALSE(SetValue(24, u"1\u20AC"));
    EXPECT_FALSE(SetValue(24, u"1\u00E9"));  // 8-bit, but no digit
    EXPECT_EQ(VekGetParDef(24)->RawValue, 7);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Invalid number format: 1?", "Invalid number format: 1\xE9"}));
    EXPECT_TRUE(line.Written().empty());
}

TEST(NumberReading, LeadingNumberAsAtofReadsIt) {
    EXPECT_EQ(vek::ReadLeadingNumber("12.5abc"), 12.5);
    EXPECT_EQ(vek::ReadLeadingNumber("-"), 0.0);
    EXPECT_EQ(vek::ReadLeadingNumber("1e999"), HUGE_VAL);
    EXPECT_EQ(vek::ReadLeadingNumber("-1e999"), -HUGE_VAL);
    EXPECT_EQ(vek::ReadLeadingNumber("1e-999"), 0.0);
}

}  // namespace
