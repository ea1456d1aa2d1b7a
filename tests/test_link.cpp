// Framing, checksums, status words and block reads of the link primitives.
#include "VekLib.h"
#include "core/State.hpp"
#include "link/Link.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

using vektest::Bytes;
using vektest::ScriptedStream;

namespace {
const uint8_t kData[] = {0x01, 0x02, 0x03};
}

TEST(LinkFraming, BlockOfThreeBytes) {
    ScriptedStream line;
    line.Expect({0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x00});
    EXPECT_TRUE(vek::SendBlock(kData, sizeof kData));
    EXPECT_TRUE(line.Mismatches().empty());
    EXPECT_TRUE(line.Complete());
}

TEST(LinkFraming, WordsAreLittleEndian) {
    ScriptedStream line;
    line.Expect({0x55, 0xAA, 0x34, 0x12});
    EXPECT_TRUE(vek::SendWord(0xAA55));
    vek::Frame frame;
    frame.Word(0x1234);
    EXPECT_TRUE(vek::SendFrame(frame));
    EXPECT_TRUE(line.Mismatches().empty());
}

TEST(LinkChecksum, ModesAndLengthBytes) {
    EXPECT_EQ(vek::BlockChecksum(0, kData, 3), 0x000B);
    EXPECT_EQ(vek::BlockChecksum(1, kData, 3), 0x0006);
    EXPECT_EQ(vek::BlockChecksum(2, kData, 3), 0);
    EXPECT_EQ(vek::BlockChecksum(-1, kData, 3), 0);

    // 254 data bytes: the length counts as 2 + 254 + 0, not as the bytes of the length word 0x0100.
    const std::vector<uint8_t> data(254, 0x01);
    EXPECT_EQ(vek::BlockChecksum(0, data.data(), data.size()), 256 + 254);
    const std::vector<uint8_t> big(300, 0xFF);  // wraps modulo 65536? 300 * 255 = 76500
    EXPECT_EQ(vek::BlockChecksum(0, big.data(), big.size()), static_cast<uint16_t>(2 + 44 + 1 + 76500));
}

TEST(LinkChecksum, BitFifteenIsTheErrorsChangedFlag) {
    EXPECT_TRUE(vek::ChecksumMatches(0x000B, 0x800B));
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, 0);
    EXPECT_TRUE(vek::ChecksumMatches(0x000B, 0x000B));
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, 1);
    VekGetVekStruct()->ErrorsCurrent = 7;
    EXPECT_FALSE(vek::ChecksumMatches(0x000B, 0x000C));
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, 7);  // a mismatch leaves it alone
}

TEST(LinkReadBlock, ReadsDataAndLength) {
    ScriptedStream line;
    line.Reply(ScriptedStream::Block({1, 2, 3}, true));
    uint8_t buffer[8] = {};
    uint16_t count = 0;
    ASSERT_TRUE(vek::ReadBlock(buffer, sizeof buffer, &count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, 0);
}

TEST(LinkReadBlock, ChecksumMismatchLogsAndFails) {
    vektest::LogCapture log;
    ScriptedStream line;
    line.Reply({0x05, 0x00, 0x01, 0x02, 0x03, 0x0C, 0x00});
    uint8_t buffer[8] = {};
    EXPECT_FALSE(vek::ReadBlock(buffer, sizeof buffer, nullptr));
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "Checksum error: expected 0x000B, received 0x000C (mode 0, size 3)"}));
    EXPECT_EQ(buffer[0], 1);  // the received data stays in the buffer
}

TEST(LinkReadBlock, HostileLengthWordsNeverWritePastTheBuffer) {
    vektest::LogCapture log;
    uint8_t buffer[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    {
        ScriptedStream line;
        line.Reply({0x01, 0x00});  // below 2
        EXPECT_FALSE(vek::ReadBlock(buffer, 4, nullptr));
    }
    {
        ScriptedStream line;
        line.Reply(ScriptedStream::Block({1, 2, 3, 4, 5}));  // one byte more than the buffer
        EXPECT_FALSE(vek::ReadBlock(buffer, 4, nullptr));
    }
    {
        ScriptedStream line;
        line.Reply({0xFF, 0xFF});  // 65533 data bytes announced
        EXPECT_FALSE(vek::ReadBlock(buffer, 4, nullptr));
    }
    EXPECT_EQ(buffer[4], 0xEE);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "Invalid block length 1",
                               "Block of 5 bytes is larger than the buffer of 4 bytes",
                               "Block of 65533 bytes is larger than the buffer of 4 bytes"}));
}

TEST(LinkReadBlock, MissingBytesFailWithoutAMessageOfItsOwn) {
    vektest::LogCapture log;
    ScriptedStream line;
    line.Reply({0x05, 0x00, 0x01});
    uint8_t buffer[8];
    EXPECT_FALSE(vek::ReadBlock(buffer, sizeof buffer, nullptr));
    EXPECT_TRUE(log.Lines().empty());
}

TEST(LinkReadChecked, PlainSumMode) {
    ScriptedStream line;
    line.Reply({0x10, 0x20, 0x30, 0x00});
    uint8_t buffer[2];
    EXPECT_TRUE(vek::ReadChecked(buffer, 2, 1));
}

TEST(LinkStatus, MaskAndExpectedValue) {
    vektest::LogCapture log;
    ScriptedStream line;
    line.ReplyWord(0x0000).ReplyWord(0x8000).ReplyWord(0x0001);
    EXPECT_TRUE(vek::ExpectStatus(0x7FFF, 0, u"refused %d", 1));
    EXPECT_TRUE(vek::ExpectStatus(0x7FFF, 0, u"refused %d", 2));
    EXPECT_FALSE(vek::ExpectStatus(0x7FFF, 0, u"refused %d", 3));
    EXPECT_EQ(VekGetLastError(), 1u);
    EXPECT_FALSE(vek::ExpectStatus(0x7FFF, 0, u"refused %d", 4));  // nothing left to read
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"refused 3"}));
}

TEST(TimeoutCheck, SendsOneOrZeroAndTestsTheWholeStatusWord) {
    {
        ScriptedStream line;
        line.Expect({0x54, 0x01}).ReplyWord(0);
        EXPECT_EQ(VekEnableTimeoutCheck(5), 1);
        EXPECT_TRUE(line.Mismatches().empty());
    }
    {
        ScriptedStream line;
        line.Expect({0x54, 0x00}).ReplyWord(0x8000);
        EXPECT_EQ(VekEnableTimeoutCheck(0), 0);
        EXPECT_EQ(VekGetLastError(), 0x8000u);
    }
    {
        ScriptedStream line;
        line.Expect({0x54, 0x00});
        EXPECT_EQ(VekEnableTimeoutCheck(0), 0);  // no reply
    }
}

TEST(TimeoutCheck, SwitchesTheSimulatedGovernorsSupervision) {
    vekgov::InProcessHost governor(*vekgov::FindProfile("default"));
    ASSERT_EQ(VekInit(), 1);
    EXPECT_EQ(VekEnableTimeoutCheck(1), 1);
    EXPECT_TRUE(governor.Model().link.timeoutCheck);
    EXPECT_EQ(VekEnableTimeoutCheck(0), 1);
    EXPECT_FALSE(governor.Model().link.timeoutCheck);
}
