// The basic error memory read: chunks of words paired with the defined
// numbers from 2000 on, then the entries of the error definitions.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"

using vektest::Bytes;
using vektest::Words;
using vektest::ScriptedStream;

namespace {

constexpr uint8_t kNextChunk = 0x48;

void Define(std::initializer_list<uint32_t> ids) {
    for (uint32_t id : ids) ASSERT_NE(VekAddParDef(id), nullptr);
}

uint16_t Raw(uint32_t id) {
    const ParDef* definition = VekGetParDef(id);
    return definition ? definition->RawValue : 0xDEAD;
}

std::vector<uint32_t> EntryIds() {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < VekGetErrorEntriesNum(); ++i) ids.push_back(+VekGetErrorEntryByIndex(i)->Id);
    return ids;
}

// A basic governor with no definitions yet.
class ErrorMemoryBasic : public ::testing::Test {
protected:
    void SetUp() override {
        VekClearParDefs();
        VekGetVekStruct()->Features = 1;
    }
};

}  // namespace

TEST_F(ErrorMemoryBasic, ThreeWordsThenAnEmptyChunk) {
    Define({2000, 2002, 2005});
    ScriptedStream line;
    line.Expect({kNextChunk}).ReplyBlock(Words({11, 22, 33}));
    line.Expect({kNextChunk}).ReplyBlock({});
    ASSERT_EQ(VekReadErrorMemory(), 1);
    EXPECT_TRUE(line.Complete());
    EXPECT_TRUE(line.Mismatches().empty());
    EXPECT_EQ(Raw(2000), 11);
    EXPECT_EQ(Raw(2002), 22);
    EXPECT_EQ(Raw(2005), 33);
    EXPECT_EQ(VekGetErrorEntriesNum(), 0u);
}

// The cursor carries on from chunk to chunk and walks into the error
// definitions; entries follow in ascending order for every non-zero one,
// including one whose value was known before the read.
TEST_F(ErrorMemoryBasic, CursorCarriesAcrossChunksAndErrorsBecomeEntries) {
    Define({1999, 2001, 3100, 3101, 3150, 3299, 3300});
    VekGetParDef(3299)->RawValue = 9;  // not in the chunks below: kept
    ScriptedStream line;
    line.Expect({kNextChunk}).ReplyBlock(Words({0x0101, 0x0000}));
    line.Expect({kNextChunk}).ReplyBlock(Words({0x0004, 0x0005}));
    line.Expect({kNextChunk}).ReplyBlock(Bytes{0x01});  // one byte: no word, the end
    ASSERT_EQ(VekReadErrorMemory(), 1);
    EXPECT_TRUE(line.Complete());
    EXPECT_EQ(Raw(1999), 0);
    EXPECT_EQ(Raw(2001), 0x0101);
    EXPECT_EQ(Raw(3100), 0);
    EXPECT_EQ(Raw(3101), 4);
    EXPECT_EQ(Raw(3150), 5);
    EXPECT_EQ(EntryIds(), (std::vector<uint32_t>{3101, 3150, 3299}));
    const ErrorEntry* entry = VekGetErrorEntryByIndex(0);
    const ErrorEntry zeroed{3101, 0, 0, 0, 0, 0, {}, 0, 0, {}};
    EXPECT_EQ(std::memcmp(entry, &zeroed, sizeof zeroed), 0);
    EXPECT_EQ(VekGetErrorEntryByIndex(3), nullptr);
}

// Words beyond the last defined number below 65536 are dropped and the
// read ends there: the cursor never wraps round to the low numbers.
TEST_F(ErrorMemoryBasic, WordsWithoutADefinedNumberEndTheRead) {
    vektest::LogCapture log;
    Define({0, 3105, 65535, 65536});
    ScriptedStream line;
    line.Expect({kNextChunk}).ReplyBlock(Words({7, 8, 9, 10}));
    ASSERT_EQ(VekReadErrorMemory(), 1);
    EXPECT_EQ(line.Written(), (Bytes{kNextChunk}));
    EXPECT_EQ(Raw(3105), 7);
    EXPECT_EQ(Raw(65535), 8);
    EXPECT_EQ(Raw(0), 0);
    EXPECT_EQ(Raw(65536), 0);
    EXPECT_EQ(EntryIds(), (std::vector<uint32_t>{3105}));
    EXPECT_TRUE(log.Contains("Error memory: 2 words without a defined number dropped"));
}

TEST_F(ErrorMemoryBasic, FailedChunkFailsTheReadWithAnEmptyList) {
    Define({3100});
    {
        ScriptedStream line;
        line.Expect({kNextChunk}).ReplyBlock(Words({1}));
        line.Expect({kNextChunk}).ReplyBlock({});
        ASSERT_EQ(VekReadErrorMemory(), 1);
        ASSERT_EQ(VekGetErrorEntriesNum(), 1u);
    }
    ScriptedStream line;
    Bytes broken = ScriptedStream::Block(Words({0}));
    broken.back() ^= 0x01;  // wrong checksum
    line.Expect({kNextChunk}).Reply(broken);
    EXPECT_EQ(VekReadErrorMemory(), 0);
    EXPECT_EQ(VekGetErrorEntriesNum(), 0u);
}

