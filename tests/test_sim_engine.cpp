// The simulated governor on its own: framing, the connection commands of its
// profiles, refusals, injected faults and the exchange log.
#include "DeviceBlocks.hpp"
#include "Governor.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

namespace vekgov {
namespace {

class SimEngine : public ::testing::Test {
protected:
    void Use(const char* profileName) {
        std::optional<DeviceProfile> profile = FindProfile(profileName);
        ASSERT_TRUE(profile) << profileName;
        governor_ = std::make_unique<Governor>(*profile);
    }
    void Use(DeviceProfile profile) { governor_ = std::make_unique<Governor>(std::move(profile)); }

    // Sends the bytes and takes every reply byte there is.
    Bytes Exchange(const Bytes& request) {
        Engine().Feed(request.data(), request.size());
        Bytes reply(Engine().Available());
        Engine().Take(reply.data(), reply.size());
        return reply;
    }

    GovernorModel& Model() { return governor_->Model(); }
    ProtocolEngine& Engine() { return governor_->Engine(); }

    std::unique_ptr<Governor> governor_;
};

const Bytes kSync = {0x01, 0x55, 0xAA};
const Bytes kOk = {0x00, 0x00};
const Bytes kRefused = {0x01, 0x00};

TEST(SimFraming, BlockOfThreeBytes) {
    EXPECT_EQ(EncodeBlock({0x01, 0x02, 0x03}), (Bytes{0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x00}));
    EXPECT_EQ(EncodeBlock({0x01, 0x02, 0x03}, true), (Bytes{0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x80}));
}

TEST(SimFraming, ChecksumCountsTheDataLengthNotTheLengthWord) {
    // 254 data bytes: length word 0x0100, but the checksum adds 2 + 254 + 0.
    const Bytes data(254, 0x01);
    const Bytes block = EncodeBlock(data);
    ASSERT_EQ(block.size(), 258u);
    EXPECT_EQ(block[0], 0x00);
    EXPECT_EQ(block[1], 0x01);
    EXPECT_EQ(GetWord(&block[256]), 256 + 254);
    // Both bytes of a longer length count: 300 = 0x012C.
    EXPECT_EQ(BlockChecksum(Bytes(300, 0x01).data(), 300), 2 + 0x2C + 0x01 + 300);
}

TEST(SimFraming, ParseBlock) {
    const Bytes good = {0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x00};
    EXPECT_EQ(ParseBlock(good.data(), 6).state, IncomingBlock::State::Incomplete);
    const IncomingBlock block = ParseBlock(good.data(), good.size());
    EXPECT_EQ(block.state, IncomingBlock::State::Complete);
    EXPECT_TRUE(block.checksumMatches);
    EXPECT_EQ(block.dataLength, 3u);
    EXPECT_EQ(block.totalBytes, 7u);

    // The host never sets bit 15: the governor compares all bits.
    const Bytes flagged = {0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x80};
    EXPECT_FALSE(ParseBlock(flagged.data(), flagged.size()).checksumMatches);
    const Bytes tooShort = {0x01, 0x00};
    EXPECT_EQ(ParseBlock(tooShort.data(), tooShort.size()).state, IncomingBlock::State::Malformed);
}

TEST_F(SimEngine, SynchronizeAnswersTheProfileWordOnceTheRequestIsComplete) {
    Use("default");
    EXPECT_TRUE(Exchange({0x01, 0x55}).empty());
    EXPECT_EQ(Exchange({0xAA}), (Bytes{0x59, 0xAC}));
    Use("hw5");
    EXPECT_EQ(Exchange(kSync), (Bytes{0x55, 0xAC}));
    // A wrong request word is noise to the governor.
    EXPECT_TRUE(Exchange({0x01, 0xAA, 0x55}).empty());
}

TEST_F(SimEngine, VersionBlock) {
    DeviceProfile profile;
    profile.hardwareVersion = 2310;
    profile.softwareVersion = 5123;
    profile.transferBlockSize = 128;
    profile.intCodes = {{0xFF00, 0x0100}, {0x0000, 0x8000}};
    Use(profile);
    EXPECT_EQ(Exchange({0x02}), (Bytes{0x18, 0x00, 0x06, 0x09, 0x03, 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0x80,
                                       0x00, 0x00, 0xFF, 0x00, 0x01, 0x00, 0x00, 0x00, 0x80, 0x3E, 0x02}));
}

TEST_F(SimEngine, ChecksumBlockLayout) {
    DeviceProfile profile;
    profile.checksumBlockLength = 32;
    profile.definitionChecksum = {1, 2, 3, 4, 5, 6, 7, 8};
    profile.parDefTotalBytes = 0x1234;
    profile.bootstrapWord = 0x0001;
    profile.softwareExtension = 2;
    profile.commandsInfo = 0x4D20;
    profile.parDefNameLength = 30;
    profile.parDefTotalBytesLong = 0x00012345;
    Use(profile);
    const Bytes data = {1,    2,    3,    4,    5,    6,    7, 8, 0x34, 0x12, 0,    0,    0x01, 0,    0x02, 0,
                        0x20, 0x4D, 0,    0,    0,    0,    0, 0, 0,    0,    0x1E, 0,    0x45, 0x23, 0x01, 0};
    EXPECT_EQ(Exchange({0x09}), EncodeBlock(data));
}

TEST_F(SimEngine, OldGovernorSendsSixChecksumBytes) {
    Use("hw4");
    EXPECT_EQ(Exchange({0x09}), (Bytes{0x08, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x6D, 0x01}));
}

TEST_F(SimEngine, ProfilesDescribeTheirGovernors) {
    for (std::string_view name : ProfileNames()) {
        std::optional<DeviceProfile> profile = FindProfile(name);
        ASSERT_TRUE(profile) << name;
        EXPECT_EQ(profile->name, name);
    }
    EXPECT_FALSE(FindProfile("nonesuch"));

    const DeviceProfile modern = *FindProfile("default");
    EXPECT_EQ(modern.hardwareVersion / 100, 23);
    EXPECT_EQ(modern.commandsInfo & dev::InfoWideNumbers, 0);
    const DeviceProfile bootLoader = *FindProfile("bootloader");
    EXPECT_GE(bootLoader.checksumBlockLength, 7);
    EXPECT_EQ(bootLoader.bootstrapWord, 0);
    // Every feature a profile makes the host ask for is granted.
    for (const char* name : {"default", "wide", "enhanced"}) {
        Use(name);
        const DeviceProfile& p = Model().profile;
        const bool asksEnhanced = p.commandsInfo & dev::InfoEnhanced;
        const bool asksWide = p.commandsInfo & dev::InfoWideNumbers;
        EXPECT_TRUE(!asksEnhanced || Model().AcceptsFeature(dev::FeatureEnhanced)) << name;
        EXPECT_TRUE(!asksWide || Model().AcceptsFeature(dev::FeatureWideNumbers)) << name;
        EXPECT_TRUE(!p.parDefNameLength || Model().AcceptsFeature(dev::FeatureLongNames)) << name;
    }
}

TEST_F(SimEngine, IdentifierWithItsSumIsAccepted) {
    Use("default");
    EXPECT_EQ(Exchange({0x05, 0x56, 0x4E, 0xA4, 0x00}), kOk);
    ASSERT_TRUE(Model().link.lastIdentifier);
    EXPECT_EQ(Model().link.lastIdentifier->value, 20054);
    EXPECT_TRUE(Model().link.lastIdentifier->accepted);

    EXPECT_EQ(Exchange({0x05, 0x56, 0x4E, 0xA5, 0x00}), kRefused);
    EXPECT_FALSE(Model().link.lastIdentifier->accepted);
}

TEST_F(SimEngine, BaudRateCodeFollowsTheAnnouncement) {
    Use("default");
    EXPECT_EQ(Model().link.BaudRate(), 9600u);
    EXPECT_EQ(Exchange({0x51, 0x07}), kRefused);  // not announced
    EXPECT_EQ(Exchange({0x51, 0x7C}), kOk);
    EXPECT_EQ(Exchange({0x51, 0x0A}), kRefused);  // no such code
    EXPECT_EQ(Model().link.BaudRate(), 9600u);
    EXPECT_EQ(Exchange({0x51, 0x07}), kOk);
    EXPECT_EQ(Model().link.BaudRate(), 57600u);

    Engine().Reset();  // the next wake-up
    EXPECT_EQ(Model().link.BaudRate(), 9600u);
}

TEST_F(SimEngine, TimeoutCheckTakesOnlyZeroOrOne) {
    Use("default");
    EXPECT_EQ(Exchange({0x54, 0x01}), kOk);
    EXPECT_TRUE(Model().link.timeoutCheck);
    EXPECT_EQ(Exchange({0x54, 0x05}), kRefused);
    EXPECT_TRUE(Model().link.timeoutCheck);
    EXPECT_EQ(Exchange({0x54, 0x00}), kOk);
    EXPECT_FALSE(Model().link.timeoutCheck);
}

TEST_F(SimEngine, FeatureRequests) {
    Use("default");
    const Bytes requestDE4F = {0x55, 0x06, 0x00, 0x04, 0x00, 0x4F, 0xDE, 0x37, 0x01};
    EXPECT_TRUE(Exchange(Bytes(requestDE4F.begin(), requestDE4F.end() - 1)).empty());
    EXPECT_EQ(Exchange({requestDE4F.back()}), kOk);
    EXPECT_TRUE(Model().link.FeatureEnabled(dev::FeatureEnhanced));

    Bytes request90E6 = {0x55};
    const Bytes block = EncodeBlock({0x04, 0x00, 0xE6, 0x90});
    request90E6.insert(request90E6.end(), block.begin(), block.end());
    EXPECT_EQ(Exchange(request90E6), kRefused);  // not offered by this governor
    EXPECT_FALSE(Model().link.FeatureEnabled(dev::FeatureWideNumbers));

    Use("enhanced");
    Bytes damaged = request90E6;
    damaged.back() ^= 0x01;
    EXPECT_EQ(Exchange(damaged), kRefused);
    EXPECT_FALSE(Model().link.FeatureEnabled(dev::FeatureWideNumbers));
    EXPECT_EQ(Exchange(request90E6), kOk);
    EXPECT_TRUE(Model().link.FeatureEnabled(dev::FeatureWideNumbers));

    EXPECT_EQ(Exchange({0x55, 0x04, 0x00, 0x09, 0x00, 0x0F, 0x00}), kRefused);  // unknown sub-command
    EXPECT_EQ(Exchange({0x55, 0x01, 0x00}), kRefused);                          // length word below 2
    EXPECT_EQ(Exchange(kSync), (Bytes{0x59, 0xAC}));                            // and still in step
}

TEST_F(SimEngine, IdentificationBlocks) {
    Use("default");
    EXPECT_EQ(Exchange({0x59, 0x02}), (Bytes{0x06, 0x00, 0x1B, 0x05, 0x2A, 0x00, 0x50, 0x00}));
    EXPECT_EQ(Exchange({0x59, 0x04}), EncodeBlock({123, 0, 45, 0, 0xA6, 0x02, 9, 0, 'B', 0}));
    EXPECT_EQ(Exchange({0x59, 0x06}), EncodeBlock({13, 0, 27, 0, 0x78, 0x56, 0x01, 0x00}));
    EXPECT_TRUE(Exchange({0x59, 0x03}).empty());
    Use("plain");
    EXPECT_TRUE(Exchange({0x59, 0x02}).empty());
}

TEST_F(SimEngine, BlocksCarryTheFlagWhileErrorsChangedUnseen) {
    Use("default");
    Model().errorsChangedUnseen = true;
    const Bytes reply = Exchange({0x59, 0x02});
    EXPECT_EQ(reply, (Bytes{0x06, 0x00, 0x1B, 0x05, 0x2A, 0x00, 0x50, 0x80}));
    EXPECT_EQ(Exchange({0x54, 0x01}), kOk);  // status words carry no flag
}

TEST_F(SimEngine, UnknownBytesAreDroppedAndLogged) {
    Use("default");
    Bytes input = {0x7E};
    input.insert(input.end(), kSync.begin(), kSync.end());
    EXPECT_EQ(Exchange(input), (Bytes{0x59, 0xAC}));
    EXPECT_EQ(Engine().Log().Lines(),
              (std::vector<std::string>{"> 7E (dropped: unknown command)", "> 01 55 AA < 59 AC"}));
    EXPECT_EQ(Engine().ExchangeCount(), 1u);
}

TEST_F(SimEngine, LogLines) {
    Use("plain");
    Exchange({0x59, 0x02});
    Engine().Faults().OnCommand(dev::ReadVersion, Fault::Silence);
    Exchange({0x02});
    Engine().Faults().OnCommand(dev::SendIdentifier, Fault::RefusingStatus);
    Exchange({0x05, 0x01, 0x00, 0x01, 0x00});
    EXPECT_EQ(Engine().Log().Lines(), (std::vector<std::string>{"> 59 02 < (none)", "> 02 < (none) [fault silence]",
                                                                "> 05 01 00 01 00 < 01 00 [fault refusing-status]"}));
}

// The reply each fault turns a block reply into.
Bytes Damaged(Fault fault, const Bytes& clean) {
    Bytes damaged = clean;
    const size_t checksumAt = clean.size() - 2;
    switch (fault) {
        case Fault::Silence:
        case Fault::Restart: return {};
        case Fault::CutShort: damaged.pop_back(); return damaged;
        case Fault::WrongChecksum: damaged[checksumAt] += 1; return damaged;
        case Fault::ChecksumFlag: damaged[checksumAt + 1] |= 0x80; return damaged;
        case Fault::RefusingStatus: return kRefused;
        case Fault::Garbage: return Bytes(clean.size(), 0xEE);
        case Fault::OversizedLength: damaged[0] = damaged[1] = 0xFF; return damaged;
    }
    return clean;
}

TEST_F(SimEngine, EveryFaultChangesTheReplyAsNamed) {
    for (const FaultInfo& info : kFaults) {
        SCOPED_TRACE(info.name);
        EXPECT_EQ(FaultByName(info.name), info.fault);
        Use("default");
        const Bytes clean = Exchange({0x59, 0x02});
        Engine().Faults().OnCommand(dev::Identification, info.fault);
        EXPECT_EQ(Exchange({0x59, 0x02}), Damaged(info.fault, clean));
        EXPECT_NE(Engine().Log().Lines().back().find(std::string("[fault ") + info.name + "]"), std::string::npos);
        EXPECT_EQ(Engine().Restarting(), info.fault == Fault::Restart);
        // Used up: the next reply is clean again, unless the governor is restarting.
        EXPECT_EQ(Exchange({0x59, 0x02}), info.fault == Fault::Restart ? Bytes{} : clean);
    }
    EXPECT_FALSE(FaultByName("nonesuch"));
}

TEST_F(SimEngine, RestartLastsUntilTheWakeUp) {
    Use("default");
    Engine().Faults().OnCommand(dev::ReadChecksum, Fault::Restart);
    Bytes input = {0x09};
    input.insert(input.end(), kSync.begin(), kSync.end());
    EXPECT_TRUE(Exchange(input).empty());  // the sync behind it is lost as well
    EXPECT_TRUE(Exchange(kSync).empty());
    EXPECT_EQ(Engine().Log().Lines().back(), "> 01 55 AA (dropped: restarting)");
    Engine().Reset();
    EXPECT_EQ(Exchange(kSync), (Bytes{0x59, 0xAC}));
}

TEST_F(SimEngine, ChecksumFaultsLeaveStatusRepliesAlone) {
    Use("default");
    for (Fault fault : {Fault::WrongChecksum, Fault::ChecksumFlag, Fault::OversizedLength}) {
        Engine().Faults().OnCommand(dev::TimeoutCheck, fault);
        EXPECT_EQ(Exchange({0x54, 0x01}), kOk) << FaultName(fault);
    }
}

TEST_F(SimEngine, FaultsMeetTheirExchangeOrCommand) {
    Use("default");
    FaultPlan& plan = Engine().Faults();
    plan.AtExchange(2, {Fault::CutShort, 3});
    plan.OnCommand(dev::TimeoutCheck, Fault::RefusingStatus, 2);
    EXPECT_EQ(Exchange({0x59, 0x02}).size(), 8u);
    EXPECT_EQ(Exchange({0x59, 0x02}).size(), 5u);
    EXPECT_EQ(Exchange({0x59, 0x02}).size(), 8u);
    EXPECT_EQ(Exchange({0x54, 0x00}), kRefused);
    EXPECT_EQ(Exchange({0x54, 0x00}), kRefused);
    EXPECT_EQ(Exchange({0x54, 0x00}), kOk);
    EXPECT_TRUE(plan.Empty());
}

}  // namespace
}  // namespace vekgov
