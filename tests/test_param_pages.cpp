// Parameter pages: the feature query's log lines, the sub-command frames,
// the checksum of the page answer, the second status word of a refused
// activation, and the pages of the simulated governor.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"

#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vektest::Bytes;
using Lines = std::vector<std::string>;

const Bytes kReadActivePage = {0x55, 0x04, 0x00, 0x05, 0x80, 0x89, 0x00};
const Bytes kActivatePage1 = {0x55, 0x06, 0x00, 0x05, 0x00, 0x01, 0x00, 0x0C, 0x00};

int32_t VEK_CALL FailingWrite(SerialStream*, const uint8_t*, int32_t) { return 0; }

class PagesLine : public ::testing::Test {
protected:
    void SetUp() override {
        *VekGetVekStruct() = VekStruct{};
        ASSERT_EQ(VekGetStream()->Open(VekGetStream()), 1);
    }
    static void SetCommandsInfo(uint16_t commandsInfo) {
        VekStruct& device = *VekGetVekStruct();
        device.ChecksumReplyLength = 32;
        device.ChecksumReply[16] = static_cast<uint8_t>(commandsInfo);
        device.ChecksumReply[17] = static_cast<uint8_t>(commandsInfo >> 8);
    }
    void ExpectScriptFollowed() {
        EXPECT_TRUE(line_.Mismatches().empty()) << line_.Mismatches().front();
        EXPECT_TRUE(line_.Complete());
    }

    vektest::ScriptedStream line_;
    vektest::LogCapture log_;
};

TEST_F(PagesLine, FeatureQueryLogsTheWordAndTheBitWithoutAnExchange) {
    SetCommandsInfo(0x4000);
    EXPECT_EQ(VekParamPagesFeatureAvailable(), 1);
    SetCommandsInfo(0xBFFF);
    EXPECT_EQ(VekParamPagesFeatureAvailable(), 0);
    EXPECT_EQ(log_.Lines(), (Lines{"Commands information word  = 0x4000.", "Params pages feature (b14) = 1.",
                                   "Commands information word  = 0xBFFF.", "Params pages feature (b14) = 0."}));
    EXPECT_TRUE(line_.Written().empty());
}

TEST_F(PagesLine, ActivePageIsReadZeroExtendedWithItsChecksumFlagRecorded) {
    line_.Expect(kReadActivePage).Reply({0x04, 0x00, 0x02, 0x00, 0x06, 0x00});
    line_.Expect(kReadActivePage).Reply({0x04, 0x00, 0x02, 0x00, 0x06, 0x80});
    line_.Expect(kReadActivePage).Reply({0x04, 0x00, 0xFE, 0xFF, 0x01, 0x02});
    int32_t page = -1;
    EXPECT_EQ(VekGetActiveParamPage(&page), 1);
    EXPECT_EQ(page, 2);
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, 1);
    page = -1;
    EXPECT_EQ(VekGetActiveParamPage(&page), 1);
    EXPECT_EQ(page, 2);
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, 0);
    EXPECT_EQ(VekGetActiveParamPage(&page), 1);
    EXPECT_EQ(page, 65534);
    ExpectScriptFollowed();
    EXPECT_EQ(log_.Lines(), Lines(3, "Getting active parameters page..."));
}

TEST_F(PagesLine, PageReadFailuresLeaveThePageAlone) {
    line_.Expect(kReadActivePage).Reply({0x04, 0x00, 0x02, 0x00, 0x07, 0x00});
    line_.Expect(kReadActivePage).Reply({0x06, 0x00});  // a refusal is too short for an answer
    int32_t page = -1;
    EXPECT_EQ(VekGetActiveParamPage(&page), 0);
    EXPECT_EQ(log_.Lines().back(), "Checksum error: expected 0x0006, received 0x0007 (mode 1, size 4)");
    EXPECT_EQ(VekGetActiveParamPage(&page), 0);
    EXPECT_EQ(log_.Lines().back(), "Unable to read the 'VekGetActiveParamPage' response.");
    EXPECT_EQ(VekGetActiveParamPage(nullptr), 0);
    EXPECT_EQ(log_.Lines().back(), "VekGetActiveParamPage: no place for the page");
    ExpectScriptFollowed();
    VekGetStream()->Write = FailingWrite;
    EXPECT_EQ(VekGetActiveParamPage(&page), 0);
    EXPECT_EQ(log_.Lines().back(), "Unable to send the 'VekGetActiveParamPage' command.");
    EXPECT_EQ(page, -1);
}

TEST_F(PagesLine, ActivationAnsweredZeroReadsNothingMore) {
    // The frame's checksum is a 16-bit sum.
    line_.Expect({0x55, 0x06, 0x00, 0x05, 0x00, 0xFF, 0xFF, 0x09, 0x02}).ReplyWord(0);
    line_.Expect(kActivatePage1).ReplyWord(0).ReplyWord(0x0005);
    EXPECT_EQ(VekActivateParamPage(0xFFFF), 1);
    EXPECT_EQ(VekActivateParamPage(1), 1);
    EXPECT_TRUE(line_.Mismatches().empty()) << line_.Mismatches().front();
    EXPECT_FALSE(line_.Complete());  // the second word is still unread
}

TEST_F(PagesLine, RefusedActivationDependsOnTheSecondStatusWord) {
    line_.Expect(kActivatePage1).ReplyWord(5).ReplyWord(1);
    line_.Expect(kActivatePage1).ReplyWord(5).ReplyWord(0x8000);
    line_.Expect(kActivatePage1).ReplyWord(5);
    line_.Expect(kActivatePage1);
    EXPECT_EQ(VekActivateParamPage(1), 0);
    EXPECT_EQ(VekGetLastError(), 1u);
    EXPECT_EQ(VekActivateParamPage(1), 1);
    EXPECT_EQ(VekActivateParamPage(1), 0);  // no second word: no message of its own
    EXPECT_EQ(VekGetLastError(), 5u);
    EXPECT_EQ(VekActivateParamPage(1), 0);
    ExpectScriptFollowed();
    VekGetStream()->Write = FailingWrite;
    EXPECT_EQ(VekActivateParamPage(1), 0);
    EXPECT_EQ(log_.Lines(),
              (Lines{"Failed to activate the new parameters page", "Unable to read the 'VekActivateParamPage' response.",
                     "Unable to send the 'VekActivateParamPage' command."}));
}

TEST(PagesSim, ActivatedPageIsTheActiveOneOnGovernorsWithPages) {
    vektest::LogCapture log;
    {
        vekgov::InProcessHost host(*vekgov::FindProfile("default"));
        ASSERT_EQ(VekInit(), 1);
        int32_t page = -1;
        EXPECT_EQ(VekActivateParamPage(1), 1);
        EXPECT_EQ(VekGetActiveParamPage(&page), 1);
        EXPECT_EQ(page, 1);
        EXPECT_EQ(VekActivateParamPage(7), 0);  // refused with a reason, then the verdict
        EXPECT_EQ(host.Model().pages.active, 1);
        EXPECT_EQ(VekPing(), 1);  // still in step
    }
    vekgov::InProcessHost host(*vekgov::FindProfile("hw21"));  // no pages
    ASSERT_EQ(VekInit(), 1);
    EXPECT_EQ(VekActivateParamPage(1), 0);
    EXPECT_EQ(log.Lines().back(), "Failed to activate the new parameters page");
    int32_t page = -1;
    EXPECT_EQ(VekGetActiveParamPage(&page), 0);
    EXPECT_EQ(page, -1);
}

}  // namespace
