// The in-process host: the simulated governor behind the stream record's
// operations, exercised through the record alone.
#include "InProcessHost.hpp"
#include "Profiles.hpp"
#include "VekLib.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vekgov::Bytes;

const Bytes kSync = {0x01, 0x55, 0xAA};
const Bytes kSyncReply = {0x59, 0xAC};

int requestedRates = 0;
uint32_t lastRequestedRate = 0;

// What the library's governor request sends: the announcement, then the rate code.
int32_t VEK_CALL RequestRate(SerialStream* s, uint32_t baud) {
    ++requestedRates;
    lastRequestedRate = baud;
    const uint8_t code = 4;  // 19200
    const uint8_t announce[] = {0x51, 0x7C};
    const uint8_t request[] = {0x51, code};
    uint8_t status[2] = {0xFF, 0xFF};
    return s->Write(s, announce, 2) && s->Read(s, status, 2) && s->Write(s, request, 2) &&
           s->Read(s, status, 2) && status[0] == 0 && status[1] == 0;
}

int32_t VEK_CALL RefuseRate(SerialStream*, uint32_t) { return 0; }

class SimHost : public ::testing::Test {
protected:
    void SetUp() override {
        requestedRates = 0;
        lastRequestedRate = 0;
    }

    bool Write(const Bytes& bytes) { return s_->Write(s_, bytes.data(), static_cast<int32_t>(bytes.size())) != 0; }
    // The bytes a read of `n` delivered, and whether it succeeded.
    std::pair<bool, Bytes> Read(size_t n) {
        Bytes buffer(n, 0);
        const bool ok = s_->Read(s_, buffer.data(), static_cast<int32_t>(n)) != 0;
        return {ok, buffer};
    }
    void SetConfig(const std::string& text) {
        for (size_t i = 0; i <= text.size(); ++i) s_->Config[i] = static_cast<VekChar>(i < text.size() ? text[i] : 0);
    }

    SerialStream* s_ = VekGetStream();
    vekgov::InProcessHost host_{*vekgov::FindProfile("default")};
};

TEST(SimHostRecord, InstallsItsOperationsAndPutsTheRecordBack) {
    SerialStream* s = VekGetStream();
    const SerialStream before = *s;
    {
        vekgov::InProcessHost host(*vekgov::FindProfile("default"));
        EXPECT_EQ(s->Context, &host);
        EXPECT_NE(s->Write, before.Write);
        s->ResponseTimeout = before.ResponseTimeout + 1;
    }
    EXPECT_EQ(s->Context, before.Context);
    EXPECT_EQ(s->Open, before.Open);
    EXPECT_EQ(s->Write, before.Write);
    EXPECT_EQ(s->Read, before.Read);
    EXPECT_EQ(s->ResponseTimeout, before.ResponseTimeout);
}

TEST_F(SimHost, ExchangesOnlyWhileOpen) {
    EXPECT_FALSE(Write(kSync));
    EXPECT_EQ(s_->IsOpen(s_), 0);
    ASSERT_EQ(s_->Open(s_), 1);
    EXPECT_EQ(s_->IsOpen(s_), 1);
    EXPECT_EQ(s_->Configure(s_), 1);
    ASSERT_TRUE(Write(kSync));
    EXPECT_EQ(Read(2), std::make_pair(true, kSyncReply));
    s_->Close(s_);
    EXPECT_FALSE(host_.IsOpen());
    EXPECT_FALSE(Write(kSync));
}

TEST_F(SimHost, ShortReadTakesWhatThereIsAndFails) {
    s_->Open(s_);
    Write(kSync);
    EXPECT_EQ(Read(4), std::make_pair(false, Bytes{0x59, 0xAC, 0x00, 0x00}));
    EXPECT_FALSE(Read(1).first);
    EXPECT_TRUE(Read(0).first);
}

TEST_F(SimHost, OpenWakesTheGovernorAfresh) {
    s_->Open(s_);
    Write({0x01, 0x55});  // an unfinished request
    s_->Open(s_);
    Write(kSync);
    EXPECT_EQ(Read(2), std::make_pair(true, kSyncReply));
}

TEST_F(SimHost, PurgeDropsUnreadReplies) {
    s_->Open(s_);
    Write(kSync);
    EXPECT_EQ(s_->Purge(s_), 1);
    EXPECT_FALSE(Read(2).first);
}

TEST_F(SimHost, RecordsEveryTimeoutInOrder) {
    s_->SetTimeout(s_, 500);
    s_->SetTimeout(s_, 3000);
    s_->SetTimeout(s_, 500);
    EXPECT_EQ(s_->GetTimeout(s_), 500);
    EXPECT_EQ(host_.Timeouts(), (std::vector<int32_t>{500, 3000, 500}));
}

TEST_F(SimHost, RateChangeGoesThroughTheGovernorRequest) {
    SetConfig("COM1,19200");
    s_->RequestBaudRate = RequestRate;
    s_->Open(s_);
    ASSERT_EQ(s_->ChangeBaudRate(s_), 1);
    EXPECT_EQ(lastRequestedRate, 19200u);
    EXPECT_EQ(host_.PortBaudRate(), 19200u);
    EXPECT_EQ(host_.Model().link.BaudRate(), 19200u);
    Write(kSync);
    EXPECT_EQ(Read(2), std::make_pair(true, kSyncReply));
}

TEST_F(SimHost, StartRateNeedsNoRequest) {
    s_->RequestBaudRate = RequestRate;
    for (const char* config : {"COM1,9600", "N/A"}) {
        SetConfig(config);
        s_->Open(s_);
        EXPECT_EQ(s_->ChangeBaudRate(s_), 1) << config;
        EXPECT_EQ(host_.PortBaudRate(), 9600u) << config;
    }
    EXPECT_EQ(requestedRates, 0);
}

TEST_F(SimHost, RefusedRequestLeavesThePortAlone) {
    SetConfig("COM1,19200");
    s_->RequestBaudRate = RefuseRate;
    s_->Open(s_);
    EXPECT_EQ(s_->ChangeBaudRate(s_), 0);
    EXPECT_EQ(host_.PortBaudRate(), 9600u);
}

TEST_F(SimHost, GovernorLeftBehindAtTheOldRateHearsNothing) {
    SetConfig("COM1,19200");
    s_->RequestBaudRate = nullptr;  // the port moves, the governor does not
    s_->Open(s_);
    ASSERT_EQ(s_->ChangeBaudRate(s_), 1);
    EXPECT_EQ(host_.PortBaudRate(), 19200u);
    Write(kSync);
    EXPECT_FALSE(Read(2).first);
    EXPECT_EQ(host_.Engine().Log().Lines().back(), "> 01 55 AA (dropped: rate mismatch)");
}

}  // namespace
