// The extended error memory read: the requests on the line, the
// configuration block, and the records of formats 0, 1 and 3 in every
// variant, with lengths that do not divide evenly and lengths that lie.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "link/Wire.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"

using vektest::Bytes;
using vektest::ScriptedStream;

namespace {

constexpr uint16_t kVariant = 0x0400;      // CommandsInfo bit 10
constexpr uint16_t kWideNumbers = 0x1000;  // CommandsInfo bit 12
constexpr uint16_t kExtendedKind = 2;
constexpr uint16_t kExtendedReadable = 0x0011;  // not in the boot loader, extended memory readable

void UseExtendedGovernor(uint16_t commandsInfo, uint16_t bootstrapWord = kExtendedReadable) {
    VekStruct& device = *VekGetVekStruct();
    device.Features = kExtendedKind;
    vek::PutWord(device.ChecksumReply + vek::checksum_block::BootstrapWord, bootstrapWord);
    vek::PutWord(device.ChecksumReply + vek::checksum_block::CommandsInfo, commandsInfo);
}

// Bytes in the order the governor sends them.
class WireBytes {
public:
    WireBytes& Byte(uint8_t b) {
        bytes_.push_back(b);
        return *this;
    }
    WireBytes& Word(uint16_t w) { return Byte(static_cast<uint8_t>(w)).Byte(static_cast<uint8_t>(w >> 8)); }
    WireBytes& Long(uint32_t v) {
        return Word(static_cast<uint16_t>(v)).Word(static_cast<uint16_t>(v >> 16));
    }
    WireBytes& Fill(size_t n, uint8_t b) {
        bytes_.insert(bytes_.end(), n, b);
        return *this;
    }
    WireBytes& Append(const WireBytes& other) {
        bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
        return *this;
    }
    const Bytes& bytes() const { return bytes_; }
    size_t size() const { return bytes_.size(); }

private:
    Bytes bytes_;
};

// Configuration block with 16-bit argument numbers (all sixteen slots).
Bytes NarrowConfig(uint16_t format, uint16_t argCount, std::vector<uint16_t> ids = {}) {
    WireBytes block;
    block.Word(format).Word(0xA5A5).Word(argCount);
    ids.resize(16);
    for (uint16_t id : ids) block.Word(id);
    return block.bytes();
}

Bytes WideConfig(uint16_t format, uint16_t argCount, std::vector<uint32_t> ids = {}) {
    WireBytes block;
    block.Word(format).Word(0x5A5A).Word(argCount);
    ids.resize(16);
    for (uint32_t id : ids) block.Long(id);
    return block.bytes();
}

// The records reply: length word L, the records, two trailing bytes.
// A record's number, its first word 0x0101 and a stamp of hours 1 and 2,
// count 1; the arguments and last words follow.
void AppendRecordHead(WireBytes& records, uint16_t number) {
    records.Word(number).Word(0x0101).Word(1).Word(2).Byte(1).Byte(0).Byte(0).Byte(0);
}

Bytes RecordsReply(const WireBytes& records, Bytes trailer = {0xAA, 0xBB}) {
    WireBytes reply;
    reply.Word(static_cast<uint16_t>(records.size() + trailer.size())).Append(records);
    for (uint8_t b : trailer) reply.Byte(b);
    return reply.bytes();
}

// Scripts the two exchanges of an extended read.
void ScriptRead(ScriptedStream& line, const Bytes& config, uint8_t recordsRequest, const Bytes& reply) {
    line.Expect({0x56, 0x00}).ReplyBlock(config);
    line.Expect({0x56, recordsRequest}).Reply(reply);
}

const ErrorEntry& Entry(uint32_t index) {
    const ErrorEntry* entry = VekGetErrorEntryByIndex(index);
    EXPECT_NE(entry, nullptr);
    static const ErrorEntry none{};
    return entry ? *entry : none;
}

std::vector<uint16_t> Args(const uint16_t (&args)[16]) { return std::vector<uint16_t>(args, args + 16); }

std::vector<uint16_t> Padded(std::vector<uint16_t> values) {
    values.resize(16);
    return values;
}

}  // namespace

TEST(ErrorMemoryRecords, FormatZeroTwoRecordsInThirtyBytes) {
    UseExtendedGovernor(0);
    ScriptedStream line;
    WireBytes records;
    // Id, hours 1, hours 2, count, seconds 1 low, seconds 2 low, high nibbles, two arguments.
    records.Word(3105).Word(5).Word(7).Byte(3).Byte(0x10).Byte(0x20).Byte(0x12).Word(0x1111).Word(0x2222);
    records.Word(3106).Word(0).Word(1).Byte(1).Byte(60).Byte(0).Byte(0).Word(1).Word(2);
    const Bytes reply = RecordsReply(records);
    ASSERT_EQ(reply.size(), 2u + 30u);  // L = 30
    ScriptRead(line, NarrowConfig(0, 2, {2010, 2020}), 0x01, reply);

    ASSERT_EQ(VekReadErrorMemory(), 1);
    EXPECT_TRUE(line.Complete());
    EXPECT_TRUE(line.Mismatches().empty());
    ASSERT_EQ(VekGetErrorEntriesNum(), 2u);

    const ErrorEntry& first = Entry(0);
    EXPECT_EQ(+first.Id, 3105u);
    EXPECT_EQ(+first.Time1, 5u * 3600 + 0x110);  // 18272
    EXPECT_EQ(+first.Time1, 18272u);
    EXPECT_EQ(+first.Time2, 7u * 3600 + 0x220);
    EXPECT_EQ(first.Count, 3);
    EXPECT_EQ(Args(first.Args), Padded({0x1111, 0x2222}));
    EXPECT_EQ(first.Word1, 0);
    EXPECT_EQ(first.Word2, 0);
    EXPECT_EQ(Args(first.Args2), Padded({}));

    const ErrorEntry& second = Entry(1);
    EXPECT_EQ(+second.Id, 3106u);
    EXPECT_EQ(+second.Time1, 60u);
    EXPECT_EQ(+second.Time2, 3600u);
    EXPECT_EQ(Args(second.Args), Padded({1, 2}));
    EXPECT_EQ(VekGetErrorEntryByIndex(VekGetErrorEntriesNum()), nullptr);

    const VekStruct& device = *VekGetVekStruct();
    EXPECT_EQ(+device.ErrorMemoryFormat, 0);
    EXPECT_EQ(+device.ErrorMemoryAux, 0xA5A5);
    EXPECT_EQ(+device.ErrorArgCount, 2);
    EXPECT_EQ(+device.ErrorArgIds[0], 2010u);
    EXPECT_EQ(+device.ErrorArgIds[1], 2020u);
    EXPECT_EQ(+device.ErrorArgIds[2], 0u);
}

TEST(ErrorMemoryRecords, FormatOneCarriesWord2OnlyWithTheVariant) {
    {
        UseExtendedGovernor(kVariant);
        ScriptedStream line;
        WireBytes records;  // 14 + 2 bytes each
        records.Word(3107).Word(0x0101).Word(0x0202).Word(1).Word(2).Byte(9).Byte(5).Byte(6).Byte(0).Word(
            0x4444);
        records.Word(3108).Word(0x0303).Word(0x0404).Word(3).Word(4).Byte(1).Byte(0).Byte(0).Byte(0).Word(
            0x5555);
        ScriptRead(line, NarrowConfig(1, 1, {2030}), 0x05, RecordsReply(records));

        ASSERT_EQ(VekReadErrorMemory(), 1);
        EXPECT_TRUE(line.Mismatches().empty());
        ASSERT_EQ(VekGetErrorEntriesNum(), 2u);
        EXPECT_EQ(Entry(0).Word1, 0x0101);
        EXPECT_EQ(Entry(0).Word2, 0x0202);
        EXPECT_EQ(+Entry(0).Time1, 3600u + 5);
        EXPECT_EQ(+Entry(0).Time2, 7200u + 6);
        EXPECT_EQ(Entry(0).Count, 9);
        EXPECT_EQ(Entry(0).Args[0], 0x4444);
        EXPECT_EQ(+Entry(1).Id, 3108u);
        EXPECT_EQ(Entry(1).Word2, 0x0404);
        EXPECT_EQ(Entry(1).Args[0], 0x5555);
    }
    {
        UseExtendedGovernor(0);
        ScriptedStream line;
        WireBytes records;  // 12 + 2 bytes each
        records.Word(3107).Word(0x0101).Word(1).Word(2).Byte(9).Byte(5).Byte(6).Byte(0).Word(0x4444);
        records.Word(3108).Word(0x0303).Word(3).Word(4).Byte(1).Byte(0).Byte(0).Byte(0).Word(0x5555);
        ScriptRead(line, NarrowConfig(1, 1, {2030}), 0x01, RecordsReply(records));

        ASSERT_EQ(VekReadErrorMemory(), 1);
        EXPECT_TRUE(line.Mismatches().empty());
        ASSERT_EQ(VekGetErrorEntriesNum(), 2u);
        EXPECT_EQ(Entry(0).Word1, 0x0101);
        EXPECT_EQ(Entry(0).Word2, 0);
        EXPECT_EQ(+Entry(0).Time1, 3600u + 5);
        EXPECT_EQ(Entry(0).Args[0], 0x4444);
        EXPECT_EQ(+Entry(1).Id, 3108u);
        EXPECT_EQ(Entry(1).Word1, 0x0303);
        EXPECT_EQ(+Entry(1).Time2, 4u * 3600);
    }
}

TEST(ErrorMemoryRecords, FormatThreeWithWideNumbersHasTwoArgumentSets) {
    UseExtendedGovernor(kVariant | kWideNumbers);
    ScriptedStream line;
    WireBytes records;  // 18 + 2 * 4 bytes each
    for (uint16_t i = 0; i < 2; ++i) {
        records.Word(static_cast<uint16_t>(3110 + i)).Word(0x0A0A).Word(0x0B0B);
        records.Word(10).Word(11).Byte(200).Byte(0xFF).Byte(0x01).Byte(0xF0);
        records.Word(static_cast<uint16_t>(100 + i)).Word(static_cast<uint16_t>(200 + i));
        records.Word(0x0C0C).Word(0x0D0D);
        records.Word(static_cast<uint16_t>(300 + i)).Word(static_cast<uint16_t>(400 + i));
    }
    ScriptRead(line, WideConfig(3, 2, {70000, 2040}), 0x05, RecordsReply(records));

    ASSERT_EQ(VekReadErrorMemory(), 1);
    EXPECT_TRUE(line.Mismatches().empty());
    ASSERT_EQ(VekGetErrorEntriesNum(), 2u);
    for (uint32_t i = 0; i < 2; ++i) {
        const ErrorEntry& entry = Entry(i);
        EXPECT_EQ(+entry.Id, 3110u + i);
        EXPECT_EQ(entry.Word1, 0x0A0A);
        EXPECT_EQ(entry.Word2, 0x0B0B);
        EXPECT_EQ(+entry.Time1, 10u * 3600 + 0xFFF);
        EXPECT_EQ(+entry.Time2, 11u * 3600 + 0x001);
        EXPECT_EQ(entry.Count, 200);
        EXPECT_EQ(Args(entry.Args), Padded({static_cast<uint16_t>(100 + i), static_cast<uint16_t>(200 + i)}));
        EXPECT_EQ(entry.Word3, 0x0C0C);
        EXPECT_EQ(entry.Word4, 0x0D0D);
        EXPECT_EQ(Args(entry.Args2),
                  Padded({static_cast<uint16_t>(300 + i), static_cast<uint16_t>(400 + i)}));
    }
    EXPECT_EQ(+VekGetVekStruct()->ErrorArgIds[0], 70000u);
    EXPECT_EQ(+VekGetVekStruct()->ErrorArgIds[1], 2040u);
}

// Format 3 without 32-bit numbers: the size counts one argument set, the
// layout has two. Records follow each other at the counted size, and the
// second set, which has no room, stays 0 instead of taking the next record's bytes.
TEST(ErrorMemoryRecords, FormatThreeWithoutWideNumbersStepsByTheCountedSize) {
    UseExtendedGovernor(0);
    ScriptedStream line;
    WireBytes records;  // 16 + 2 * 2 = 20 bytes each
    for (uint16_t i = 0; i < 3; ++i) {
        AppendRecordHead(records, static_cast<uint16_t>(3120 + i));
        records.Word(0x1111).Word(0x2222).Word(0x3333).Word(0x4444);
    }
    ScriptRead(line, NarrowConfig(3, 2), 0x01, RecordsReply(records));

    ASSERT_EQ(VekReadErrorMemory(), 1);
    ASSERT_EQ(VekGetErrorEntriesNum(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(+Entry(i).Id, 3120u + i);
        EXPECT_EQ(Args(Entry(i).Args), Padded({0x1111, 0x2222}));
        EXPECT_EQ(Entry(i).Word3, 0x3333);
        EXPECT_EQ(Entry(i).Word4, 0x4444);
        EXPECT_EQ(Args(Entry(i).Args2), Padded({}));
    }
}

// Formats 0 and 1 with 32-bit numbers: each record is followed by unused
// bytes up to the counted size.
TEST(ErrorMemoryRecords, FormatOneWithWideNumbersSkipsTheUnusedBytes) {
    UseExtendedGovernor(kWideNumbers);
    ScriptedStream line;
    WireBytes records;  // 12 + 2 * 4 = 20 bytes each, of which 16 are laid out
    records.Word(3130)
        .Word(0x0707)
        .Word(1)
        .Word(2)
        .Byte(4)
        .Byte(0)
        .Byte(0)
        .Byte(0)
        .Word(0x1234)
        .Word(0x5678)
        .Fill(4, 0xEE);
    records.Word(3131)
        .Word(0x0808)
        .Word(3)
        .Word(4)
        .Byte(5)
        .Byte(0)
        .Byte(0)
        .Byte(0)
        .Word(0x9ABC)
        .Word(0xDEF0)
        .Fill(4, 0xEE);
    ScriptRead(line, WideConfig(1, 2), 0x01, RecordsReply(records));

    ASSERT_EQ(VekReadErrorMemory(), 1);
    ASSERT_EQ(VekGetErrorEntriesNum(), 2u);
    EXPECT_EQ(+Entry(0).Id, 3130u);
    EXPECT_EQ(Args(Entry(0).Args), Padded({0x1234, 0x5678}));
    EXPECT_EQ(+Entry(1).Id, 3131u);
    EXPECT_EQ(Entry(1).Word1, 0x0808);
    EXPECT_EQ(Entry(1).Count, 5);
    EXPECT_EQ(Args(Entry(1).Args), Padded({0x9ABC, 0xDEF0}));
}

// More arguments than an entry holds: sixteen are kept in each set, the
// words after them are found at their place, and the next record at its.
TEST(ErrorMemoryRecords, MoreThanSixteenArgumentsKeepSixteenAndStepOverWholeRecords) {
    UseExtendedGovernor(kWideNumbers);
    ScriptedStream line;
    constexpr uint16_t kArgs = 18;
    WireBytes records;  // 16 + 18 * 4 = 88 bytes each
    for (uint16_t r = 0; r < 2; ++r) {
        AppendRecordHead(records, static_cast<uint16_t>(3140 + r));
        for (uint16_t a = 0; a < kArgs; ++a) records.Word(static_cast<uint16_t>(1000 + a));
        records.Word(0x3333).Word(0x4444);
        for (uint16_t a = 0; a < kArgs; ++a) records.Word(static_cast<uint16_t>(2000 + a));
    }
    ASSERT_EQ(records.size(), 176u);
    ScriptRead(line, WideConfig(3, kArgs), 0x01, RecordsReply(records));

    ASSERT_EQ(VekReadErrorMemory(), 1);
    ASSERT_EQ(VekGetErrorEntriesNum(), 2u);
    EXPECT_EQ(+VekGetVekStruct()->ErrorArgCount, kArgs);
    for (uint32_t r = 0; r < 2; ++r) {
        const ErrorEntry& entry = Entry(r);
        EXPECT_EQ(+entry.Id, 3140u + r);
        EXPECT_EQ(entry.Args[0], 1000);
        EXPECT_EQ(entry.Args[15], 1015);
        EXPECT_EQ(entry.Word3, 0x3333);
        EXPECT_EQ(entry.Word4, 0x4444);
        EXPECT_EQ(entry.Args2[0], 2000);
        EXPECT_EQ(entry.Args2[15], 2015);
    }
}

TEST(ErrorMemoryRecords, IncompleteRecordAndUnknownFormatMakeNoEntry) {
    {
        UseExtendedGovernor(0);
        ScriptedStream line;
        WireBytes records;  // one whole record of 10 bytes and 9 bytes of a second
        records.Word(3150).Word(1).Word(2).Byte(1).Byte(0).Byte(0).Byte(0);
        records.Word(3151).Word(1).Word(2).Byte(1).Byte(0).Byte(0);
        ScriptRead(line, NarrowConfig(0, 0), 0x01, RecordsReply(records));
        ASSERT_EQ(VekReadErrorMemory(), 1);
        ASSERT_EQ(VekGetErrorEntriesNum(), 1u);
        EXPECT_EQ(+Entry(0).Id, 3150u);
    }
    {
        UseExtendedGovernor(0);
        ScriptedStream line;
        WireBytes records;
        records.Word(3152).Word(1).Word(2).Byte(1).Byte(0).Byte(0).Byte(0);
        ScriptRead(line, NarrowConfig(2, 0), 0x01, RecordsReply(records));
        EXPECT_EQ(VekReadErrorMemory(), 1);
        EXPECT_TRUE(line.Complete());
        EXPECT_EQ(VekGetErrorEntriesNum(), 0u);
        EXPECT_EQ(+VekGetVekStruct()->ErrorMemoryFormat, 2);
    }
}

TEST(ErrorMemoryRecords, FullBufferIsReadAndOneByteMoreIsRefused) {
    {
        UseExtendedGovernor(0);
        ScriptedStream line;
        WireBytes records;  // 199 records of 10 bytes and the trailer: L = 1992
        for (uint16_t i = 0; i < 199; ++i) records.Word(i).Word(0).Word(0).Byte(0).Byte(0).Byte(0).Byte(0);
        // Eight more bytes that make no record: L = 2000.
        ScriptRead(line, NarrowConfig(0, 0), 0x01, RecordsReply(records, Bytes(10, 0x77)));
        ASSERT_EQ(VekReadErrorMemory(), 1);
        EXPECT_TRUE(line.Complete());
        ASSERT_EQ(VekGetErrorEntriesNum(), 199u);
        EXPECT_EQ(+Entry(198).Id, 198u);
    }
    for (uint16_t length : {uint16_t(2001), uint16_t(0xFFFF)}) {
        vektest::LogCapture log;
        UseExtendedGovernor(0);
        ScriptedStream line;
        ScriptRead(line, NarrowConfig(0, 0), 0x01, WireBytes().Word(length).Fill(2001, 0x11).bytes());
        EXPECT_EQ(VekReadErrorMemory(), 0);
        EXPECT_EQ(VekGetErrorEntriesNum(), 0u);
        EXPECT_TRUE(log.Contains("Error memory of " + std::to_string(length) +
                                 " bytes is larger than the buffer of 2000 bytes"));
    }
}

TEST(ErrorMemoryRecords, OversizedConfigurationBlockIsRefusedBeforeTheRecords) {
    vektest::LogCapture log;
    UseExtendedGovernor(0);
    VekGetVekStruct()->ErrorMemoryFormat = 7;
    ScriptedStream line;
    line.Expect({0x56, 0x00}).ReplyBlock(Bytes(78, 0x01));
    EXPECT_EQ(VekReadErrorMemory(), 0);
    EXPECT_EQ(line.Written(), (Bytes{0x56, 0x00}));
    EXPECT_EQ(+VekGetVekStruct()->ErrorMemoryFormat, 7);
    EXPECT_TRUE(log.Contains("Block of 78 bytes is larger than the buffer of 76 bytes"));
}

TEST(ErrorMemoryRecords, WithoutTheReadableBitNothingIsSentAndTheListIsEmptied) {
    UseExtendedGovernor(0);
    {
        ScriptedStream line;
        WireBytes records;
        records.Word(3170).Word(1).Word(2).Byte(1).Byte(0).Byte(0).Byte(0);
        ScriptRead(line, NarrowConfig(0, 0), 0x01, RecordsReply(records));
        ASSERT_EQ(VekReadErrorMemory(), 1);
        ASSERT_EQ(VekGetErrorEntriesNum(), 1u);
    }
    vektest::LogCapture log;
    UseExtendedGovernor(0, 0x0001);
    ScriptedStream line;
    EXPECT_EQ(VekReadErrorMemory(), 0);
    EXPECT_TRUE(line.Written().empty());
    EXPECT_EQ(VekGetErrorEntriesNum(), 0u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Reading error memory..."}));
}

