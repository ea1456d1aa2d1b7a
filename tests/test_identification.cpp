// The device identification: the three requests, the fixed texts built from
// their replies, and what a failing or hostile reply leaves behind.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::Concat;
using vektest::Words;
using vektest::ScriptedStream;

const Bytes kSerialData = {0x59, 0x02};
const Bytes kPpsNumber = {0x59, 0x04};
const Bytes kBoardNumber = {0x59, 0x06};

// A text of the packed device record, read as bytes from its offset.
std::string Text(std::size_t offset, std::size_t capacity) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(VekGetVekStruct()) + offset;
    std::string text;
    for (std::size_t i = 0; i < capacity && (bytes[2 * i] || bytes[2 * i + 1]); ++i) {
        text += static_cast<char>(bytes[2 * i]);
    }
    return text;
}

struct Texts {
    std::string serialDate, serialNumber, ppsNumber, boardNumber;
    bool operator==(const Texts& o) const {
        return serialDate == o.serialDate && serialNumber == o.serialNumber && ppsNumber == o.ppsNumber &&
               boardNumber == o.boardNumber;
    }
};

void PrintTo(const Texts& t, std::ostream* os) {
    *os << '"' << t.serialDate << "\" \"" << t.serialNumber << "\" \"" << t.ppsNumber << "\" \""
        << t.boardNumber << '"';
}

Texts DeviceTexts() {
    return {Text(offsetof(VekStruct, SerialDate), 10), Text(offsetof(VekStruct, SerialNumber), 10),
            Text(offsetof(VekStruct, PpsNumber), 20), Text(offsetof(VekStruct, BoardNumber), 20)};
}

// A governor with identification on a scripted line; every text starts stale
// so that clearing shows.
class Identification : public ::testing::Test {
protected:
    void SetUp() override {
        VekStruct& d = *VekGetVekStruct();
        d = VekStruct{};
        d.Features = vek::features::Identification;
        for (std::size_t offset : {offsetof(VekStruct, SerialDate), offsetof(VekStruct, SerialNumber),
                                   offsetof(VekStruct, PpsNumber), offsetof(VekStruct, BoardNumber)}) {
            std::memcpy(reinterpret_cast<unsigned char*>(&d) + offset, u"stale", 12);
        }
    }

    void TearDown() override { VekSetCallback(VEK_CALLBACK_TRANSLATE, nullptr); }

    void ScriptReplies(const Bytes& serial, const Bytes& pps, const Bytes& board) {
        line_.Expect(kSerialData).ReplyBlock(serial);
        line_.Expect(kPpsNumber).ReplyBlock(pps);
        line_.Expect(kBoardNumber).ReplyBlock(board);
    }
    Texts ReadWith(const Bytes& serial, const Bytes& pps, const Bytes& board) {
        ScriptReplies(serial, pps, board);
        EXPECT_EQ(VekReadIdentification(), 1);
        EXPECT_TRUE(line_.Mismatches().empty());
        EXPECT_TRUE(line_.Complete());
        return DeviceTexts();
    }

    ScriptedStream line_;
    vektest::LogCapture log_;
};

TEST_F(Identification, TypicalRepliesGiveTheFixedTexts) {
    EXPECT_EQ(ReadWith(Words({1307, 42}), Words({123, 45, 678, 9, 'B'}), Words({13, 27, 0x5678, 0x0001})),
              (Texts{"13 07", "00042", "123-45-678-09-B", "13 27-087672"}));
    EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"Reading identification...", "Identification done"}));
}

TEST_F(Identification, FieldsAreCutToTheirWidths) {
    EXPECT_EQ(ReadWith(Words({65535, 65535}), Words({65535, 65535, 1999, 199, 'z'}),
                       Words({199, 60, 0xFFFF, 0xFFFF})),
              (Texts{"655 35", "65535", "535-35-999-99-z", "99 06-4294967295"}));
}

TEST_F(Identification, PpsCharacterOtherThanALetterBecomesABlank) {
    for (const uint16_t code : {uint16_t{0x0031}, uint16_t{'@'}, uint16_t{'['}, uint16_t{0x0141}}) {
        ScriptedStream line;
        line.Expect(kSerialData).ReplyBlock(Words({1307, 42}));
        line.Expect(kPpsNumber).ReplyBlock(Words({123, 45, 678, 9, code}));
        line.Expect(kBoardNumber).ReplyBlock(Words({13, 27, 0x5678, 0x0001}));
        ASSERT_EQ(VekReadIdentification(), 1);
        EXPECT_EQ(DeviceTexts().ppsNumber, "123-45-678-09- ") << code;
    }
}

TEST_F(Identification, RepliesOfAnotherShapeLeaveZeroAndAnOddByteIsNoWord) {
    EXPECT_EQ(ReadWith(Words({1307, 42}), Words({123, 45, 678, 9}), Words({13, 27, 0x5678})),
              (Texts{"13 07", "00042", "0", "0"}));
    ScriptedStream line;
    line.Expect(kSerialData).ReplyBlock({0x1B, 0x05, 0x2A});  // a third byte is no second word
    line.Expect(kPpsNumber).ReplyBlock(Concat(Words({123, 45, 678, 9, 'B'}), {0x99}));
    line.Expect(kBoardNumber).ReplyBlock(Concat(Words({13, 27, 0x5678, 0x0001}), {0x99}));
    ASSERT_EQ(VekReadIdentification(), 1);
    EXPECT_EQ(DeviceTexts(), (Texts{"13 07", "00000", "123-45-678-09-B", "13 27-087672"}));
}

TEST_F(Identification, WithoutTheFeatureTheTextsAreFixedAndNothingIsSent) {
    VekGetVekStruct()->Features = 0x000B;  // every bit but identification
    EXPECT_EQ(VekReadIdentification(), 1);
    EXPECT_TRUE(line_.Written().empty());
    EXPECT_EQ(DeviceTexts(), (Texts{"00 00", "00000", "", ""}));
    EXPECT_EQ(log_.Lines(), std::vector<std::string>{"Reading identification..."});
}

TEST_F(Identification, SerialDataOfOneByteIsInvalidAndOnlyThatMessageIsTranslated) {
    VekSetCallback(VEK_CALLBACK_TRANSLATE,
                   reinterpret_cast<VekCallback>(
                       +[](void*, const VekChar*, VekChar* out) { std::memcpy(out, u"T", 4); }));
    line_.Expect(kSerialData).ReplyBlock({0x07});
    EXPECT_EQ(VekReadIdentification(), 0);
    EXPECT_TRUE(line_.Complete());  // PPS and board number were not asked for
    EXPECT_EQ(DeviceTexts(), (Texts{"", "", "", ""}));
    line_.Expect(kSerialData);
    EXPECT_EQ(VekReadIdentification(), 0);
    EXPECT_EQ(log_.Lines(),
              (std::vector<std::string>{"Reading identification...", "T", "Reading identification...",
                                        "Failed to read the serial data!"}));
}

// Each request fails in turn: its own line, the texts of the steps before it
// kept, and nothing sent after it.
TEST_F(Identification, FailingRequestLogsItsLineAndKeepsTheEarlierTexts) {
    struct Case {
        Bytes failingRequest;
        std::string line;
        Texts texts;
    };
    const Case cases[] = {
        {kSerialData, "Failed to read the serial data!", {"", "", "", ""}},
        {kPpsNumber, "Failed to read the PPS number!", {"13 07", "00042", "0", ""}},
        {kBoardNumber, "Failed to read the board number!", {"13 07", "00042", "123-45-678-09-B", "0"}},
    };
    for (const Case& c : cases) {
        ScriptedStream line;
        const Bytes replies[] = {Words({1307, 42}), Words({123, 45, 678, 9, 'B'})};
        const Bytes requests[] = {kSerialData, kPpsNumber};
        for (std::size_t i = 0; i < 2 && requests[i] != c.failingRequest; ++i) {
            line.Expect(requests[i]).ReplyBlock(replies[i]);
        }
        line.Expect(c.failingRequest);  // no reply
        vektest::LogCapture log;
        EXPECT_EQ(VekReadIdentification(), 0);
        EXPECT_EQ(log.Lines().back(), c.line);
        EXPECT_EQ(DeviceTexts(), c.texts) << c.line;
        EXPECT_TRUE(line.Mismatches().empty()) << c.line;
    }
}

int32_t VEK_CALL RefuseWrite(SerialStream*, const uint8_t*, int32_t) { return 0; }

TEST_F(Identification, UnsentRequestsLogTheirOwnLines) {
    VekGetStream()->Write = RefuseWrite;
    EXPECT_EQ(VekReadIdentification(), 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to send the serial data!");
}

TEST_F(Identification, BlocksOfSixtyFourBytesAreReadAndLargerOnesFail) {
    EXPECT_EQ(ReadWith(Bytes(64, 0x11), Bytes(64, 'A'), Bytes(64, 0)), (Texts{"43 69", "04369", "0", "0"}));
    line_.Expect(kSerialData).ReplyBlock(Words({1307, 42}));
    line_.Expect(kPpsNumber).ReplyBlock(Bytes(65, 'A'));
    EXPECT_EQ(VekReadIdentification(), 0);
    const std::vector<std::string> lines = log_.Lines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"Block of 65 bytes is larger than the buffer of 64 bytes",
                                        "Failed to read the PPS number!"}));
    EXPECT_EQ(DeviceTexts(), (Texts{"13 07", "00042", "0", ""}));
}

}  // namespace
