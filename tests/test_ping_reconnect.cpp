// Ping and reconnection: the ping's exchange and time-out, and the paths of a
// reconnection against the simulated governor.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"

#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vektest::ScriptedStream;

// --- Ping ----------------------------------------------------------------

class Ping : public ::testing::Test {
protected:
    void OpenLine() { ASSERT_EQ(VekGetStream()->Open(VekGetStream()), 1); }

    ScriptedStream line_;
    vektest::LogCapture log_;
};

TEST_F(Ping, ClosedStreamSendsNothing) {
    EXPECT_EQ(VekPing(), 0);
    EXPECT_TRUE(line_.Written().empty());
    EXPECT_TRUE(line_.Timeouts().empty());
    EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"Pinging..."}));
}

TEST_F(Ping, ReadsTheActualErrorsWithinTheReplyTimeAndRestoresTheTimeout) {
    OpenLine();
    VekGetStream()->ResponseTimeout = 345;
    line_.Expect({0x06}).ReplyBlock({});
    EXPECT_EQ(VekPing(), 1);
    EXPECT_TRUE(line_.Complete());
    EXPECT_EQ(line_.Timeouts(), (std::vector<int32_t>{345, 1200}));
    EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"Pinging...", "Reading actual errors..."}));
}

TEST_F(Ping, SilentGovernorFailsAndTheTimeoutIsRestored) {
    OpenLine();
    VekGetStream()->ResponseTimeout = 50;
    line_.Expect({0x06});
    EXPECT_EQ(VekPing(), 0);
    EXPECT_EQ(line_.Timeouts(), (std::vector<int32_t>{50, 1200}));
}

// --- Reconnection --------------------------------------------------------

constexpr uint32_t kTimer = 2999;

void DefineTimer() {
    ParDef* def = VekAddParDef(kTimer);
    std::memcpy(def->Name, u"Timer", sizeof u"Timer");
}

class Reconnect : public ::testing::Test {
protected:
    explicit Reconnect(const char* profile = "default") : host_(*vekgov::FindProfile(profile)) {}

    std::vector<std::string> ExchangesSince(std::size_t from) const {
        const auto& lines = host_.Engine().Log().Lines();
        return {lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end()};
    }
    static bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

    mutable vekgov::InProcessHost host_;
    vektest::LogCapture log_;
};

TEST_F(Reconnect, ConfiguresTimedListZeroAgainFromTheStoredEntry) {
    DefineTimer();
    ASSERT_EQ(VekInit(), 1);
    const uint32_t ids[] = {2000, 2005};
    ASSERT_EQ(VekSetTimedList(0, 2, ids), 1);
    const std::size_t before = host_.Engine().Log().Lines().size();

    EXPECT_EQ(VekReconnect(), 1);
    const std::vector<std::string> exchanges = ExchangesSince(before);
    ASSERT_GE(exchanges.size(), 4u);
    EXPECT_TRUE(StartsWith(exchanges.front(), "> 01 55 AA"));
    EXPECT_TRUE(StartsWith(exchanges[exchanges.size() - 3], "> C1 <"));
    EXPECT_TRUE(StartsWith(exchanges[exchanges.size() - 2], "> 80 0A 00 01 00 B7 0B D0 07 D5 07"));
    EXPECT_TRUE(StartsWith(exchanges.back(), "> C3 <"));
    // The governor forgot its lists at the wake-up; list 0 samples again.
    ASSERT_TRUE(host_.Model().timedLists.lists[0]);
    EXPECT_EQ(*host_.Model().timedLists.lists[0], (std::vector<uint32_t>{2000, 2005}));
    EXPECT_EQ(VekReadTimedList(0, nullptr, nullptr), 1);
}

TEST_F(Reconnect, NeverConfiguredListZeroGetsTheTimerAlone) {
    DefineTimer();
    EXPECT_EQ(VekReconnect(), 1);
    ASSERT_TRUE(host_.Model().timedLists.lists[0]);
    EXPECT_TRUE(host_.Model().timedLists.lists[0]->empty());
}

TEST_F(Reconnect, FailedTimedListFailsTheReconnection) {
    // No "Timer" definition: the connection stands, the list cannot be configured.
    EXPECT_EQ(VekReconnect(), 0);
    EXPECT_TRUE(host_.IsOpen());
    EXPECT_EQ(log_.Lines().back(), "Cannot configure timed list 0: no parameter named \"Timer\"");
}

TEST_F(Reconnect, FailedConnectionSequenceLeavesTheStreamOpen) {
    DefineTimer();
    host_.Engine().Faults().OnCommand(vekgov::dev::Synchronize, vekgov::Fault::Silence);
    EXPECT_EQ(VekReconnect(), 0);
    EXPECT_TRUE(host_.IsOpen());
    EXPECT_EQ(log_.Lines().back(), "Failed to synchronize communication");
    EXPECT_FALSE(host_.Model().timedLists.lists[0]);
}

class ReconnectBootLoader : public Reconnect {
protected:
    ReconnectBootLoader() : Reconnect("bootloader") {}
};

TEST_F(ReconnectBootLoader, ReturnsOneWithoutTouchingTheTimedList) {
    DefineTimer();
    EXPECT_EQ(VekReconnect(), 1);
    for (const std::string& exchange : host_.Engine().Log().Lines()) {
        EXPECT_FALSE(StartsWith(exchange, "> C1")) << exchange;
    }
    EXPECT_FALSE(host_.Model().timedLists.lists[0]);
}

}  // namespace
