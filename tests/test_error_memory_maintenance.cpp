// Acknowledging a record, erasing the error memory and configuring the
// recorded arguments: the bytes sent, the status words read and the lines
// logged.
#include <gtest/gtest.h>

#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"

using vektest::Bytes;
using vektest::Concat;
using vektest::ScriptedStream;

namespace {

constexpr uint8_t kErase = 0x0C;

}  // namespace

TEST(ErrorMemoryAcknowledge, SendsTheLowWordsAndChecksTheLowStatusBits) {
    for (uint16_t status : {uint16_t(0x0000), uint16_t(0x8000)}) {
        ScriptedStream line;
        line.Expect({0x56, 0x09, 0x34, 0x12, 0x78, 0x56}).ReplyWord(status);
        EXPECT_EQ(VekAcknowledgeErrorMemoryItem(0xAAAA1234u, 0x00015678u), 1);
        EXPECT_TRUE(line.Complete());
        EXPECT_TRUE(line.Mismatches().empty());
    }
    vektest::LogCapture log;
    ScriptedStream line;
    line.Expect({0x56, 0x09, 0x01, 0x00, 0x02, 0x00}).ReplyWord(0x0005);
    EXPECT_EQ(VekAcknowledgeErrorMemoryItem(1, 2), 0);
    EXPECT_EQ(VekGetLastError(), 5u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Failed to acknowledge the error"}));
}

TEST(ErrorMemoryErase, StatusZeroSucceedsWithoutASecondWord) {
    vektest::LogCapture log;
    ScriptedStream line;
    line.Expect({kErase}).ReplyWord(0).ReplyWord(0x0003);  // a second word that must stay unread
    EXPECT_EQ(VekEraseErrorMemory(), 1);
    EXPECT_EQ(line.Written(), (Bytes{kErase}));
    EXPECT_FALSE(line.Complete());
    EXPECT_TRUE(log.Lines().empty());
}

TEST(ErrorMemoryErase, CodeTwelveThenSilenceFailsNamingTheCode) {
    vektest::LogCapture log;
    ScriptedStream line;
    line.Expect({kErase}).ReplyWord(12);
    EXPECT_EQ(VekEraseErrorMemory(), 0);
    EXPECT_EQ(VekGetLastError(), 12u);
    EXPECT_EQ(log.Lines(),
              (std::vector<std::string>{
                  "Failed to erase the error table: Power supply voltage to low to access EEPROM"}));
}

TEST(ErrorMemoryErase, SecondStatusDecidesAfterAFirstCode) {
    struct Case {
        uint16_t first;
        uint16_t second;
        int32_t result;
        const char* line;
    };
    const Case cases[] = {
        {11, 0x8000, 1, nullptr},
        {3, 1, 0, "Failed to erase the error table: Error during access to EEPROM"},
        {11, 4, 0, "Failed to erase the error table: Delete of error memory temporarly not available"},
        {7, 2, 0, "Failed to erase the error table: Failed to erase error memory (unknown error)"},
    };
    for (const Case& c : cases) {
        vektest::LogCapture log;
        ScriptedStream line;
        line.Expect({kErase}).ReplyWord(c.first).ReplyWord(c.second);
        EXPECT_EQ(VekEraseErrorMemory(), c.result) << c.first;
        EXPECT_TRUE(line.Complete());
        EXPECT_EQ(VekGetLastError(), c.second);
        if (c.line) {
            EXPECT_EQ(log.Lines(), (std::vector<std::string>{c.line}));
        } else {
            EXPECT_TRUE(log.Lines().empty());
        }
    }
}

TEST(ErrorMemoryArgs, SendsTheCountAndTheNumbersAsWords) {
    const int32_t ids[] = {3105, 2010};
    ScriptedStream line;
    // 0x55, length 8, sub-command 3, count 2, the two numbers, checksum.
    const Bytes request =
        Concat({0x55}, ScriptedStream::Block({0x03, 0x00, 0x02, 0x00, 0x21, 0x0C, 0xDA, 0x07}));
    ASSERT_EQ(request, (Bytes{0x55, 0x0A, 0x00, 0x03, 0x00, 0x02, 0x00, 0x21, 0x0C, 0xDA, 0x07, 0x1D, 0x01}));
    line.Expect(request).ReplyWord(0);
    EXPECT_EQ(VekConfigureErrorMemoryArgs(2, ids), 1);
    EXPECT_TRUE(line.Complete());
    EXPECT_TRUE(line.Mismatches().empty());
}

TEST(ErrorMemoryArgs, RefusedStatusIsLogged) {
    vektest::LogCapture log;
    const int32_t ids[] = {2010};
    ScriptedStream line;
    line.Expect(Concat({0x55}, ScriptedStream::Block({0x03, 0x00, 0x01, 0x00, 0xDA, 0x07}))).ReplyWord(1);
    EXPECT_EQ(VekConfigureErrorMemoryArgs(1, ids), 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Failed to configure error memory arguments"}));
}

TEST(ErrorMemoryArgs, CountsAndNumbersThatCannotTravelSendNothing) {
    int32_t ids[17] = {};
    struct Case {
        int32_t count;
        const int32_t* values;
        const char* line;
    };
    const int32_t tooLarge[] = {2010, 70000};
    const int32_t negative[] = {-1};
    const Case cases[] = {
        {17, ids, "VekConfigureErrorMemoryArgs: invalid count 17"},
        {-1, ids, "VekConfigureErrorMemoryArgs: invalid count -1"},
        {2, nullptr, "VekConfigureErrorMemoryArgs: no values"},
        {2, tooLarge, "VekConfigureErrorMemoryArgs: invalid parameter number 70000"},
        {1, negative, "VekConfigureErrorMemoryArgs: invalid parameter number -1"},
    };
    for (const Case& c : cases) {
        vektest::LogCapture log;
        ScriptedStream line;
        EXPECT_EQ(VekConfigureErrorMemoryArgs(c.count, c.values), 0);
        EXPECT_TRUE(line.Written().empty());
        EXPECT_EQ(log.Lines(), (std::vector<std::string>{c.line}));
    }
    Bytes sixteenZeros{0x03, 0x00, 0x10, 0x00};
    sixteenZeros.resize(4 + 16 * 2, 0);
    ScriptedStream line;
    line.Expect(Concat({0x55}, ScriptedStream::Block(sixteenZeros))).ReplyWord(0);
    EXPECT_EQ(VekConfigureErrorMemoryArgs(16, ids), 1);  // sixteen is the most
    EXPECT_TRUE(line.Mismatches().empty());
}
