// Single raw values: the frames in both number widths, the replies the
// governor may give, what LastStatus and RawValue hold afterwards, and the
// direct-set switch.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/State.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/ValueDefinitions.hpp"

#include "InProcessHost.hpp"
#include "Profiles.hpp"
#include "Values.hpp"

#include <gtest/gtest.h>

namespace {

using vektest::ScriptedStream;

int idleCalls = 0;
void VEK_CALL CountIdle(void*) { ++idleCalls; }

class RawValues : public ::testing::Test {
protected:
    void SetUp() override {
        vektest::ResetValueState();
        idleCalls = 0;
        VekSetCallback(VEK_CALLBACK_IDLE, reinterpret_cast<VekCallback>(CountIdle));
    }
    void UseLongNumbers() {
        vek::PutWord(vek::Device().ChecksumReply + vek::checksum_block::CommandsInfo,
                     vek::commands_info::LongParameterNumbers);
    }

    vektest::LogCapture log;
    ScriptedStream line;
};

TEST_F(RawValues, ReadSendsShortNumberAndStoresValueInNewDefinition) {
    line.Expect({0x28, 0x34, 0x12}).Reply({0xC8, 0x01, 0xC9, 0x00});
    ASSERT_EQ(VekReadRawValue(0x1234), 1);
    EXPECT_TRUE(line.Complete());
    EXPECT_TRUE(line.Mismatches().empty());
    ASSERT_NE(VekGetParDef(0x1234), nullptr);
    EXPECT_EQ(VekGetParDef(0x1234)->RawValue, 0x01C8);
    EXPECT_EQ(VekGetLastError(), 0u);
    EXPECT_EQ(idleCalls, 1);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Reading raw value..."});
}

TEST_F(RawValues, ReadSendsLongNumberWhenGovernorAnnouncesIt) {
    UseLongNumbers();
    line.Expect({0x28, 0x34, 0x12, 0x00, 0x00}).Reply({0x01, 0x00, 0x01, 0x00});
    ASSERT_EQ(VekReadRawValue(0x1234), 1);
    EXPECT_TRUE(line.Mismatches().empty());
    EXPECT_EQ(VekGetParDef(0x1234)->RawValue, 1);  // value 1 with its true sum 1 is a value
}

TEST_F(RawValues, ReadOfUnknownParameterFailsWithItsOwnStatus) {
    vektest::Define(5)->RawValue = 77;
    line.Expect({0x28, 0x05, 0x00}).Reply({0x01, 0x00, 0x02, 0x00});
    EXPECT_EQ(VekReadRawValue(5), 0);
    EXPECT_EQ(VekGetLastError(), 0xFFFDu);
    EXPECT_EQ(VekGetParDef(5)->RawValue, 77);
    EXPECT_TRUE(log.Contains("Failed to read parameter 5 (it probably does not exists)"));
}

TEST_F(RawValues, ReadChecksumIsComparedWithoutTheFlagBit) {
    line.Expect({0x28, 0x05, 0x00}).Reply({0xC8, 0x00, 0xC8, 0x80});
    EXPECT_EQ(VekReadRawValue(5), 1);
    EXPECT_EQ(VekGetParDef(5)->RawValue, 0xC8);
    EXPECT_EQ(vek::Device().ErrorsCurrent, 0);  // the flag says the errors changed

    line.Expect({0x28, 0x05, 0x00}).Reply({0xC9, 0x00, 0xC8, 0x00});
    EXPECT_EQ(VekReadRawValue(5), 0);
    EXPECT_EQ(VekGetLastError(), 0xFFFCu);
    EXPECT_EQ(VekGetParDef(5)->RawValue, 0xC8);
    EXPECT_TRUE(log.Contains("Checksum error on reading of parameter 5: expected 00C9, received 0x00C8 (mode 1, size 2)"));
}

TEST_F(RawValues, ReadWithoutCompleteReplyLeavesNoReplyStatus) {
    vektest::Define(5)->RawValue = 77;
    line.Expect({0x28, 0x05, 0x00}).Reply({0xC8, 0x00, 0xC8});
    EXPECT_EQ(VekReadRawValue(5), 0);
    EXPECT_EQ(VekGetLastError(), 0xFFFEu);
    EXPECT_EQ(VekGetParDef(5)->RawValue, 77);
}

TEST_F(RawValues, WriteSendsNumberValueAndSum) {
    line.Expect({0x2D, 0x05, 0x00, 0xC8, 0x00, 0xCD, 0x00}).ReplyWord(0x8000);  // flag bit only: accepted
    ASSERT_EQ(VekWriteRawValue(5, 0x00C8), 1);
    EXPECT_TRUE(line.Complete());
    EXPECT_TRUE(line.Mismatches().empty());
    EXPECT_EQ(VekGetParDef(5)->RawValue, 0xC8);
    EXPECT_EQ(VekGetLastError(), 0x8000u);
    EXPECT_EQ(idleCalls, 1);
    EXPECT_TRUE(log.Lines().empty());  // no line before a write
}

TEST_F(RawValues, WriteWithLongNumberIsNineBytes) {
    UseLongNumbers();
    line.Expect({0x2D, 0x01, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x00, 0x02}).ReplyWord(0);
    ASSERT_EQ(VekWriteRawValue(0x10001, 0xFFFF), 1);
    EXPECT_TRUE(line.Mismatches().empty());
}

TEST_F(RawValues, RefusedWriteKeepsOldValueAndStatusWord) {
    vektest::Define(5)->RawValue = 77;
    line.Expect({0x2D, 0x05, 0x00, 0xC8, 0x00, 0xCD, 0x00}).ReplyWord(0x0003);
    EXPECT_EQ(VekWriteRawValue(5, 0xC8), 0);
    EXPECT_EQ(VekGetParDef(5)->RawValue, 77);
    EXPECT_EQ(VekGetLastError(), 3u);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"VekWriteRawValue failure: governor returned an error code"});

    line.Expect({0x2D, 0x05, 0x00, 0xC8, 0x00, 0xCD, 0x00});  // no status word at all
    EXPECT_EQ(VekWriteRawValue(5, 0xC8), 0);
    EXPECT_EQ(VekGetParDef(5)->RawValue, 77);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(RawValues, WriteIgnoresDirectSetSwitch) {
    VekDirectSet(0);
    EXPECT_EQ(vek::Core().directSetFlag, 0);
    line.Expect({0x2D, 0x05, 0x00, 0x01, 0x00, 0x06, 0x00}).ReplyWord(0);
    EXPECT_EQ(VekWriteRawValue(5, 1), 1);
    EXPECT_TRUE(line.Complete());

    VekDirectSet(0x42);  // any byte other than 0 counts as on, and is kept as given
    EXPECT_EQ(vek::Core().directSetFlag, 0x42);
}

// Both number widths against the simulated governor.
class SimulatedRawValues : public ::testing::TestWithParam<const char*> {};

TEST_P(SimulatedRawValues, ReadWriteAndUnknownNumber) {
    vektest::ResetValueState();
    vekgov::InProcessHost host(*vekgov::FindProfile(GetParam()));
    ASSERT_EQ(VekInit(), 1);
    const std::vector<uint32_t> numbers = vekgov::DefinedNumbers(host.Model().profile);
    ASSERT_GE(numbers.size(), 2u);
    const uint32_t number = numbers[1];
    vekgov::WriteValue(host.Model(), number, 0xBEEF);

    ASSERT_EQ(VekReadRawValue(number), 1);
    EXPECT_EQ(VekGetParDef(number)->RawValue, 0xBEEF);
    ASSERT_EQ(VekWriteRawValue(number, 0x1234), 1);
    EXPECT_EQ(vekgov::ReadValue(host.Model(), number), 0x1234);

    const uint32_t unknown = numbers.back() + 1;
    EXPECT_EQ(VekReadRawValue(unknown), 0);
    EXPECT_EQ(VekGetLastError(), 0xFFFDu);
    EXPECT_EQ(VekWriteRawValue(unknown, 1), 0);
    EXPECT_NE(VekGetLastError() & 0x7FFF, 0u);
}

INSTANTIATE_TEST_SUITE_P(Profiles, SimulatedRawValues, ::testing::Values("default", "wide"));

}  // namespace
