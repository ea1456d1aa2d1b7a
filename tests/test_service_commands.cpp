// The service commands: their preconditions, the bytes on the line, what
// they leave in LastStatus, their time-outs and status texts; then store,
// reset, click test, adjustment and clearing against the simulated governor.
#include "VekLib.h"
#include "core/State.hpp"
#include "support/FakeClock.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/ValueDefinitions.hpp"

#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::ScriptedStream;
using Lines = std::vector<std::string>;
using Timeouts = std::vector<int32_t>;

constexpr uint16_t kClickTestFeature = 0x0008;
constexpr uint32_t kAdjustTime = 1900;
constexpr uint8_t kOneDecimal = 0x10;
const Bytes kReadAdjustTime = {0x28, 0x6C, 0x07};

Lines statusTexts;
void VEK_CALL RecordStatus(void*, const VekChar* text) {
    std::string narrow;
    for (const VekChar* c = text; *c; ++c) narrow += static_cast<char>(*c);
    statusTexts.push_back(narrow);
}
int32_t VEK_CALL FailingWrite(SerialStream*, const uint8_t*, int32_t) { return 0; }

// The answer to a raw read: the value word and the sum of its bytes.
Bytes RawAnswer(uint16_t value) {
    const uint16_t sum = static_cast<uint16_t>((value & 0xFF) + (value >> 8));
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(sum),
            static_cast<uint8_t>(sum >> 8)};
}

class ServiceLine : public ::testing::Test {
protected:
    void SetUp() override {
        vektest::ResetValueState();
        ASSERT_EQ(VekGetStream()->Open(VekGetStream()), 1);
        VekSetCallback(VEK_CALLBACK_STATUS, reinterpret_cast<VekCallback>(RecordStatus));
        statusTexts.clear();
    }
    void TearDown() override { VekSetCallback(VEK_CALLBACK_STATUS, nullptr); }

    static void EnterBootLoader() { VekGetVekStruct()->ChecksumReplyLength = 32; }  // BootstrapWord 0
    void ExpectScriptFollowed() {
        EXPECT_TRUE(line_.Mismatches().empty()) << line_.Mismatches().front();
        EXPECT_TRUE(line_.Complete());
    }

    ScriptedStream line_;
    vektest::LogCapture log_;
};

TEST_F(ServiceLine, StoreWaitsForItsStatusUnderTheLongTimeoutExceptOnHardware4) {
    line_.Expect({0x0F}).ReplyWord(0);
    EXPECT_EQ(VekStore(), 1);
    line_.Expect({0x0F}).ReplyWord(3);
    EXPECT_EQ(VekStore(), 0);
    EXPECT_EQ(VekGetLastError(), 3u);
    VekGetVekStruct()->HardwareMajor = 4;
    line_.Expect({0x0F});  // not answered, and not waited for
    EXPECT_EQ(VekStore(), 1);
    ExpectScriptFollowed();
    EXPECT_EQ(line_.Timeouts(), (Timeouts{3000, 1200, 3000, 1200, 3000, 1200}));
    EXPECT_EQ(log_.Lines(), (Lines{"Storing...", "Storing...", "Error detected during parameter store: 3", "Storing..."}));
}

TEST_F(ServiceLine, StoreThatCannotBeSentLeavesFFFE) {
    VekGetStream()->Write = FailingWrite;
    EXPECT_EQ(VekStore(), 0);
    EXPECT_EQ(VekGetLastError(), 0xFFFEu);
    EXPECT_EQ(line_.Timeouts(), (Timeouts{3000, 1200}));
}

TEST_F(ServiceLine, ResetAnsweredOtherThanNineFails) {
    line_.Expect({0x52}).ReplyWord(0);
    EXPECT_EQ(VekReset(), 0);
    ExpectScriptFollowed();
    EXPECT_EQ(log_.Lines(), Lines{"Failed to reset the governor (error 0)"});
    EXPECT_EQ(statusTexts, Lines{"Resetting governor"});
}

TEST_F(ServiceLine, ClickTestNeedsItsFeatureAndNoBootLoader) {
    EXPECT_EQ(VekStartClickTest(), 0);
    EXPECT_EQ(VekGetLastError(), 1u);
    VekGetVekStruct()->Features = kClickTestFeature;
    EnterBootLoader();
    vek::Core().lastStatus = 0;
    EXPECT_EQ(VekStopClickTest(), 0);
    EXPECT_EQ(VekGetLastError(), 1u);
    EXPECT_TRUE(line_.Written().empty());
    EXPECT_EQ(statusTexts, (Lines{"Starting Click Test.", "Stopping Click Test"}));
}

TEST_F(ServiceLine, ClickTestStartsAndStopsAndLeavesARefusalInLastStatus) {
    VekGetVekStruct()->Features = kClickTestFeature;
    line_.Expect({0x11}).ReplyWord(0).Expect({0x12}).ReplyWord(0).Expect({0x11}).ReplyWord(2);
    EXPECT_EQ(VekStartClickTest(), 1);
    EXPECT_EQ(VekStopClickTest(), 1);
    EXPECT_EQ(VekStartClickTest(), 0);
    EXPECT_EQ(VekGetLastError(), 2u);
    ExpectScriptFollowed();
    EXPECT_EQ(statusTexts, (Lines{"Starting Click Test.", "Click Test Started.", "Stopping Click Test",
                                  "Click Test Stopped.", "Starting Click Test."}));
    // Unanswered: the start leaves its preset, the stop what was there.
    line_.Expect({0x11}).Expect({0x12});
    EXPECT_EQ(VekStartClickTest(), 0);
    EXPECT_EQ(VekGetLastError(), 0xFFFFu);
    vek::Core().lastStatus = 1234;
    EXPECT_EQ(VekStopClickTest(), 0);
    EXPECT_EQ(VekGetLastError(), 1234u);
    EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(ServiceLine, AutoAdjustAwaitsTwiceTheAdjustTimeAndOneSecond) {
    vektest::Define(kAdjustTime, 0, 1000, kOneDecimal);
    line_.Expect(kReadAdjustTime).Reply(RawAnswer(100));  // 10.0 s
    line_.Expect({0x11}).ReplyWord(0);
    EXPECT_EQ(VekActuatorAutoAdjust(), 1);
    EXPECT_EQ(VekGetLastError(), 0u);
    // A time below zero counts as zero; a refusal pops the time-out as well.
    vektest::Define(kAdjustTime, -100, 100, kOneDecimal, vektest::intcode::Signed);
    line_.Expect(kReadAdjustTime).Reply(RawAnswer(0xFFCE));  // -5.0 s
    line_.Expect({0x11}).ReplyWord(4);
    EXPECT_EQ(VekActuatorAutoAdjust(), 0);
    EXPECT_EQ(VekGetLastError(), 4u);
    ExpectScriptFollowed();
    EXPECT_EQ(line_.Timeouts(), (Timeouts{21000, 1200, 1000, 1200}));
    EXPECT_EQ(statusTexts, (Lines{"Starting StemAutoAdjustment", "StemAutoAdjustment Started.",
                                  "Starting StemAutoAdjustment"}));
}

TEST_F(ServiceLine, AutoAdjustNeedsNoClickTestNoBootLoaderTheAdjustTimeAndItsValue) {
    EXPECT_EQ(VekActuatorAutoAdjust(), 0);  // no definition 1900
    EXPECT_EQ(VekGetLastError(), 1u);
    vektest::Define(kAdjustTime, 0, 1000, kOneDecimal);
    VekGetVekStruct()->Features = kClickTestFeature;
    EXPECT_EQ(VekActuatorAutoAdjust(), 0);
    EXPECT_EQ(VekGetLastError(), 1u);
    VekGetVekStruct()->Features = 0;
    EnterBootLoader();
    EXPECT_EQ(VekActuatorAutoAdjust(), 0);
    EXPECT_EQ(VekGetLastError(), 1u);
    EXPECT_TRUE(line_.Written().empty());

    VekGetVekStruct()->ChecksumReplyLength = 0;
    line_.Expect(kReadAdjustTime);
    EXPECT_EQ(VekActuatorAutoAdjust(), 0);
    EXPECT_EQ(VekGetLastError(), 0xFFFEu);  // the raw read's own code
    EXPECT_TRUE(line_.Timeouts().empty());
}

TEST_F(ServiceLine, ClearOperatingDataSendsItsSubCommandFrame) {
    const Bytes frame = {0x55, 0x05, 0x00, 0x02, 0x00, 0x00, 0x07, 0x00};
    line_.Expect(frame).ReplyWord(0x8000);  // bit 15 is not looked at
    line_.Expect(frame).ReplyWord(1);
    EXPECT_EQ(VekClearOperatingData(), 1);
    EXPECT_EQ(VekClearOperatingData(), 0);
    ExpectScriptFollowed();
    EXPECT_EQ(log_.Lines(), Lines{"Failed to clear operating data"});
}

// --- Against the simulated governor --------------------------------------------

class ServiceSim : public ::testing::Test {
protected:
    void Connect(const char* profile) {
        host_.reset();  // puts the stream record back first
        host_ = std::make_unique<vekgov::InProcessHost>(*vekgov::FindProfile(profile));
        clock_.OnAdvance([this](uint32_t ms) { host_->Model().clock.Advance(ms); });
        ASSERT_EQ(VekInit(), 1);
        ASSERT_EQ(VekReadAllParDef(), 1);
    }
    void TearDown() override { clock_.OnAdvance(nullptr); }
    vekgov::ServiceArea& Service() { return host_->Model().service; }

    vektest::FakeClock clock_;
    vektest::LogCapture log_;
    std::unique_ptr<vekgov::InProcessHost> host_;
};

TEST_F(ServiceSim, ResetRestartsAndReadsTheStoredValuesBack) {
    Connect("default");
    ASSERT_EQ(VekWriteRawValue(1, 700), 1);
    ASSERT_EQ(VekStore(), 1);
    ASSERT_EQ(VekWriteRawValue(1, 800), 1);  // not stored: lost at the restart
    EXPECT_EQ(VekReset(), 1) << log_.Lines().back();
    EXPECT_EQ(VekGetParDef(1)->RawValue, 700);
    EXPECT_EQ(Service().resets, 1u);
    EXPECT_EQ(clock_.Sleeps(), std::vector<uint32_t>{2500});
    EXPECT_EQ(VekClearOperatingData(), 1);
    EXPECT_EQ(Service().operatingDataClears, 1u);
}

TEST_F(ServiceSim, ClickTestOrAutoAdjustmentAsTheGovernorHasIt) {
    Connect("default");
    EXPECT_EQ(VekStartClickTest(), 1);
    EXPECT_TRUE(Service().clickTestRunning);
    EXPECT_EQ(VekStopClickTest(), 1);
    EXPECT_FALSE(Service().clickTestRunning);
    EXPECT_EQ(VekActuatorAutoAdjust(), 0);

    Connect("hw5");
    EXPECT_EQ(VekActuatorAutoAdjust(), 1);
    EXPECT_EQ(Service().autoAdjustStarts, 1u);
    EXPECT_EQ(VekStartClickTest(), 0);
}

TEST_F(ServiceSim, StoreOnHardware4LeavesTheLineInStep) {
    Connect("hw4");
    EXPECT_EQ(VekStore(), 1);
    EXPECT_EQ(Service().stores, 1u);
    EXPECT_EQ(VekPing(), 1);
}

}  // namespace
