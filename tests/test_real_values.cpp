// Raw words to real values: decimals, signedness, hexadecimal units,
// scaling, both roundings, the limit to the real range, the range code with
// its range parameters fetched once, and the failures.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/ValueDefinitions.hpp"
#include "values/RealValues.hpp"

#include <gtest/gtest.h>

namespace {

using namespace vektest;

class RealValues : public ::testing::Test {
protected:
    void SetUp() override { ResetValueState(); }

    double Convert(uint32_t id, uint16_t raw) {
        double value = -999;
        EXPECT_EQ(VekConvertToRealValue(id, raw, &value), 1) << "parameter " << id << ", raw " << raw;
        return value;
    }

    LogCapture log;
    ScriptedStream line;
};

TEST_F(RealValues, DecimalsAndSignedness) {
    Define(1, 0, 65535, 0x20, intcode::Unsigned);
    Define(2, -32768, 32767, 0x00, intcode::Signed);
    Define(3, -32768, 32767, 0x10, intcode::Signed);
    Define(4, 0, 65535, 0x00, intcode::Unsigned);
    EXPECT_DOUBLE_EQ(Convert(1, 12345), 123.45);
    EXPECT_DOUBLE_EQ(Convert(2, 0xFFFF), -1.0);
    EXPECT_DOUBLE_EQ(Convert(3, 0xFFFF), -0.1);
    EXPECT_DOUBLE_EQ(Convert(4, 0xFFFF), 65535.0);
}

TEST_F(RealValues, HexUnitIsThePlainWordWhateverTheFormatSays) {
    Define(5, 0, 65535, 0x08, intcode::Signed, u"hEx");
    EXPECT_DOUBLE_EQ(Convert(5, 0xFFFF), 65535.0);
}

TEST_F(RealValues, ScaledValueIsRoundedBeforeTheDecimalsAndLimitedToTheRealRange) {
    Define(6, 0, 1000, 0x18, intcode::TenBit);
    EXPECT_DOUBLE_EQ(Convert(6, 512), 50.0);  // 500.488... rounds to 500
    EXPECT_DOUBLE_EQ(Convert(6, 0), 0.0);
    EXPECT_DOUBLE_EQ(Convert(6, 2000), 100.0);  // beyond IntHigh: RealMax
}

TEST_F(RealValues, ConversionRoundsHalvesAwayFromZero) {
    ParDef def{};
    def.Format = 0x08;
    const vek::EffectiveRange up{0, 2, 0, 5, -10, 10};
    const vek::EffectiveRange down{-2, 0, -5, 0, -10, 10};
    double value = 0;
    ASSERT_TRUE(vek::RawToReal(def, up, 1, value));
    EXPECT_EQ(value, 3.0);  // b = 2.5
    ASSERT_TRUE(vek::RawToReal(def, down, 0xFFFF, value));
    EXPECT_EQ(value, -3.0);  // b = -2.5

    EXPECT_EQ(vek::RoundHalfAwayFromZero(2.4999), 2.0);
    EXPECT_EQ(vek::LowWord(65537.0), 1);
}

TEST_F(RealValues, FailuresLogTheirLineAndStoreNothing) {
    double value = 42;
    EXPECT_EQ(VekConvertToRealValue(77, 1, &value), 0);
    EXPECT_EQ(VekGetRealValue(77, &value), 0);
    Define(8, 0, 10, 0, 9, u"", u"Speed");
    EXPECT_EQ(VekConvertToRealValue(8, 1, &value), 0);
    Define(9, 0, 10, 0x08, intcode::Empty, u"", u"Load");
    EXPECT_EQ(VekConvertToRealValue(9, 1, &value), 0);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "Parameter 77 does not exist",
                               "VekGetRealValue: failed to call VekGetParDef(77)",
                               "VekConvertToRealValue: cannot find IntCode definition 9 (registered number 4) for parameter 8 Speed",
                               "VekConvertToRealValue: IntCode definition 3 of parameter 9 Load has an empty range",
                           }));

    Define(10, 0, 10, 0x00, intcode::Empty);  // unscaled, the empty range does not matter
    EXPECT_DOUBLE_EQ(Convert(10, 7), 7.0);
}

TEST_F(RealValues, RangeParameterIsFetchedOnceThenTakenFromTheCache) {
    Define(10, -1000, 1000, 0x10, intcode::Signed);  // RawValue 0: not read yet
    Define(11, -1000, 1000, 0x10, intcode::Signed)->RawValue = 500;
    DefineRanged(100, 10, 11, 0x08);
    line.Expect({0x28, 0x0A, 0x00}).Reply({0xCE, 0xFF, 0xCD, 0x01});  // -50 -> -5.0
    EXPECT_DOUBLE_EQ(Convert(100, 0), -5.0);
    EXPECT_EQ(VekGetParDef(10)->RawValue, 0xFFCE);
    EXPECT_DOUBLE_EQ(Convert(100, 32767), 50.0);
    EXPECT_DOUBLE_EQ(Convert(100, 16384), 23.0);  // 22.5008 rounded
    EXPECT_TRUE(line.Complete());
    EXPECT_EQ(line.Written().size(), 3u);  // one read only
}

// 0 means "not read yet" only until a 0 has been read or set: then it is
// the range parameter's value and is not fetched again.
TEST_F(RealValues, ARangeParameterReadAsZeroIsNotFetchedAgain) {
    Define(10, -1000, 1000, 0x10, intcode::Signed);  // RawValue 0: not read yet
    Define(11, -1000, 1000, 0x10, intcode::Signed)->RawValue = 500;
    DefineRanged(100, 10, 11, 0x08);
    line.Expect({0x28, 0x0A, 0x00}).Reply({0x00, 0x00, 0x00, 0x00});  // 0 -> 0.0
    EXPECT_DOUBLE_EQ(Convert(100, 0), 0.0);
    EXPECT_DOUBLE_EQ(Convert(100, 32767), 50.0);
    EXPECT_TRUE(line.Complete());
    EXPECT_EQ(line.Written().size(), 3u);  // one read only

    VekClearParDefs();  // new definitions: their values are unread again
    Define(10, -1000, 1000, 0x10, intcode::Signed);
    Define(11, -1000, 1000, 0x10, intcode::Signed)->RawValue = 500;
    DefineRanged(100, 10, 11, 0x08);
    line.Expect({0x28, 0x0A, 0x00}).Reply({0x00, 0x00, 0x00, 0x00});
    EXPECT_DOUBLE_EQ(Convert(100, 0), 0.0);
    EXPECT_TRUE(line.Complete());
}

TEST_F(RealValues, UnreadableRangeParameterFailsTheConversion) {
    Define(10, -1000, 1000, 0x10, intcode::Signed);
    DefineRanged(100, 10, 11);
    line.Expect({0x28, 0x0A, 0x00}).Reply({0x01, 0x00, 0x02, 0x00});
    double value = 42;
    EXPECT_EQ(VekConvertToRealValue(100, 1, &value), 0);
    EXPECT_TRUE(log.Contains("VekConvertToRealValue: cannot read range minimal value [10]"));

    VekGetParDef(10)->RawValue = 1;
    EXPECT_EQ(VekConvertToRealValue(100, 1, &value), 0);  // 11 has no definition
    EXPECT_TRUE(log.Contains("VekConvertToRealValue: cannot read range maximal value [11]"));
    EXPECT_EQ(value, 42);
}

TEST_F(RealValues, ConversionTakesTheLow16BitsOfTheRangeNumbers) {
    Define(10, 0, 1000)->RawValue = 2;
    Define(11, 0, 1000)->RawValue = 9;
    DefineRanged(100, 0x10000 + 10, 0x20000 + 11);
    EXPECT_DOUBLE_EQ(Convert(100, 50), 9.0);
}

TEST_F(RealValues, RangeParametersThatLeadBackToThemselvesStop) {
    DefineRanged(100, 101, 101)->RawValue = 1;
    DefineRanged(101, 100, 100)->RawValue = 1;
    double value = 42;
    EXPECT_EQ(VekConvertToRealValue(100, 1, &value), 0);
    EXPECT_EQ(value, 42);
    // The ninth fetch in the chain 101, 100, 101, ... is refused.
    EXPECT_TRUE(log.Contains("Range parameter 101: range parameters nested more than 8 levels deep"));
    EXPECT_TRUE(line.Written().empty());

    // The guard unwinds: an ordinary range works afterwards.
    Define(10, 0, 1000)->RawValue = 2;
    Define(11, 0, 1000)->RawValue = 9;
    DefineRanged(102, 10, 11);
    EXPECT_DOUBLE_EQ(Convert(102, 5), 5.0);
}

TEST_F(RealValues, GetRealValuesStopsAtTheFirstMissingDefinition) {
    Define(1, 0, 1000, 0x10)->RawValue = 15;
    Define(3, 0, 1000)->RawValue = 7;
    const uint32_t ids[] = {1, 2, 3};
    double values[] = {-1, -1, -1};
    EXPECT_EQ(VekGetRealValues(3, ids, values), 0);
    EXPECT_DOUBLE_EQ(values[0], 1.5);
    EXPECT_EQ(values[1], -1);
    EXPECT_EQ(values[2], -1);
    EXPECT_TRUE(log.Lines().empty());

    const uint32_t present[] = {3, 1};
    EXPECT_EQ(VekGetRealValues(2, present, values), 1);
    EXPECT_DOUBLE_EQ(values[0], 7.0);
    EXPECT_DOUBLE_EQ(values[1], 1.5);
}

}  // namespace
