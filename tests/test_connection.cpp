// The connection sequence: the bytes on the line, the log line of every step,
// what it fills into the device record, and how a failing step ends it.
#include "VekLib.h"
#include "InProcessHost.hpp"
#include "Profiles.hpp"
#include "connection/Connection.hpp"
#include "connection/DeviceInfo.hpp"
#include "core/State.hpp"
#include "platform/Platform.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::Concat;
using vektest::Words;
using vektest::ScriptedStream;
using Lines = std::vector<std::string>;
// Fields of the packed device record are compared as values (+field): a
// reference to a field at an odd offset would be misaligned.

constexpr uint16_t kOk = 0x0000;
constexpr uint16_t kRefused = 0x0001;
const Bytes kSync = {0x01, 0x55, 0xAA};
const Bytes kAnnounce = {0x51, 0x7C};
const Bytes kRate19200 = {0x51, 0x04};
const Bytes kVersion = {0x02};
const Bytes kChecksum = {0x09};
const Bytes kDefaultIdentifier = {0x05, 0x56, 0x4E, 0xA4, 0x00};
const Bytes kSerialData = {0x59, 0x02};

const Lines kConnectionLog = {"Initializing...",
                              "  Stream lock",
                              " Vek close",
                              " Stream open",
                              " Stream config",
                              " Vek synchronize",
                              " Stream set timeout",
                              " Stream change baudrate",
                              "Requesting to change the baudrate (19200)",
                              "   Sleeping to let the ECU change its baudrate",
                              " Vek read version",
                              "Reading version...",
                              " Vek read par def checksum",
                              "Reading parameter definitions checksum...",
                              " Vek send identifier",
                              " Get identification",
                              "Reading identification...",
                              "Identification done"};

// Hardware word, software word, 8 unused bytes, block size, IntCode pairs.
Bytes VersionData(uint16_t hardware, uint16_t software, std::initializer_list<uint16_t> intCodes = {}) {
    return Concat(Words({hardware, software, 0, 0, 0, 0, 96}), Words(intCodes));
}

// A checksum block of 32 bytes: bootstrap word 1 means not in the boot loader.
Bytes ChecksumData(uint16_t bootstrap = 1, uint16_t extension = 0, uint16_t commandsInfo = 0,
                   uint16_t nameLength = 0) {
    return Words({0, 0, 0, 0, 4321, 0, bootstrap, extension, commandsInfo, 0, 0, 0, 0, nameLength, 0, 0});
}

Bytes FeatureRequest(uint16_t code) { return Concat({0x55}, ScriptedStream::Block(Words({0x0004, code}))); }

void ScriptUpToRate(ScriptedStream& line) {
    line.Expect(kSync).ReplyWord(0xAC59);
    line.Expect(kAnnounce).ReplyWord(kOk);
    line.Expect(kRate19200).ReplyWord(kOk);
}

void ScriptUpToVersion(ScriptedStream& line, uint16_t hardware = 521) {
    ScriptUpToRate(line);
    line.Expect(kVersion).ReplyBlock(VersionData(hardware, 5123));
}

// A whole good connection of a hardware 5 governor at 19200 baud.
void ScriptConnection(ScriptedStream& line) {
    ScriptUpToVersion(line);
    line.Expect(kChecksum).ReplyBlock(ChecksumData());
    line.Expect(kDefaultIdentifier).ReplyWord(kOk);
    line.Expect(kSerialData).ReplyBlock(Words({1307, 42}));
    line.Expect({0x59, 0x04}).ReplyBlock(Words({123, 45, 678, 9, 'B'}));
    line.Expect({0x59, 0x06}).ReplyBlock(Words({13, 27, 0x5678, 0x0001}));
}

std::vector<uint32_t> sleeps;
void RecordSleep(uint32_t ms) { sleeps.push_back(ms); }

void SetConfig(const std::u16string& config) {
    SerialStream* s = VekGetStream();
    std::fill(std::begin(s->Config), std::end(s->Config), VekChar(0));
    std::copy(config.begin(), config.end(), s->Config);
}

// Every opening and closing of the scripted stream, in order.
Lines streamEvents;
int32_t(VEK_CALL* scriptedOpen)(SerialStream*) = nullptr;
int32_t(VEK_CALL* scriptedClose)(SerialStream*) = nullptr;
int32_t VEK_CALL RecordOpen(SerialStream* s) {
    streamEvents.push_back("open");
    return scriptedOpen(s);
}
int32_t VEK_CALL RecordClose(SerialStream* s) {
    streamEvents.push_back("close");
    return scriptedClose(s);
}
int32_t VEK_CALL FailingOperation(SerialStream*) { return 0; }

// The device record fresh, the stream configured for 19200 baud with the
// governor baud request installed, and sleeps only recorded.
class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        *VekGetVekStruct() = VekStruct{};
        SetConfig(u"COM1,19200");
        VekGetStream()->RequestBaudRate = vek::RequestGovernorBaudRate;
        clock_ = vek::platform::SystemClock();
        clock_.sleep = RecordSleep;
        vek::platform::SetClockForTesting(&clock_);
        sleeps.clear();
    }
    void TearDown() override {
        vek::platform::SetClockForTesting(nullptr);
        VekSetIdentifier(vek::kDefaultIdentifier);
        VekSetCallback(VEK_CALLBACK_TRANSLATE, nullptr);
    }

    vek::platform::Clock clock_{};
};

class Connection : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        scriptedOpen = VekGetStream()->Open;
        scriptedClose = VekGetStream()->Close;
        VekGetStream()->Open = RecordOpen;
        VekGetStream()->Close = RecordClose;
        streamEvents.clear();
    }
    void ExpectScriptFollowed() {
        EXPECT_TRUE(line_.Mismatches().empty()) << line_.Mismatches().front();
        EXPECT_TRUE(line_.Complete());
    }
    Lines LastLines(std::size_t n) const {
        const Lines lines = log_.Lines();
        return {lines.end() - static_cast<std::ptrdiff_t>(std::min(n, lines.size())), lines.end()};
    }

    ScriptedStream line_;
    vektest::LogCapture log_;
};

TEST_F(Connection, GoodConnectionLogsEveryStepAndFillsTheDeviceRecord) {
    ScriptConnection(line_);
    ASSERT_EQ(VekInit(), 1);
    ExpectScriptFollowed();
    EXPECT_EQ(log_.Lines(), kConnectionLog);
    EXPECT_EQ(streamEvents, (Lines{"close", "open"}));
    EXPECT_EQ(sleeps, std::vector<uint32_t>{50});
    const VekStruct& d = *VekGetVekStruct();
    EXPECT_EQ(+d.DeviceKind, 3);
    EXPECT_EQ(+d.HardwareVersion, 521);
    EXPECT_EQ(+d.HardwareMajor, 5);
    EXPECT_EQ(+d.HardwareMinor, 21);
    EXPECT_EQ((std::vector<int>{d.SoftwareHigh, d.SoftwareMid, d.SoftwareLow}), (std::vector<int>{5, 1, 23}));
    EXPECT_EQ(+d.SoftwareVersion, 5123u);
    EXPECT_EQ(+d.Features, 0x0006);
    EXPECT_EQ(+d.ChecksumReplyLength, 32);
    EXPECT_EQ(vek::Core().transferBlockSize, 96);
    EXPECT_EQ(VekInBootstrapMode(), 0);
}

TEST_F(Connection, ReplyTimeoutStaysResponseTimeoutAcrossTheBaudRateChange) {
    VekGetStream()->ResponseTimeout = 777;
    ScriptConnection(line_);
    ASSERT_EQ(VekInit(), 1);
    // Set for good, then pushed (saving 777) and popped by the baud rate request.
    EXPECT_EQ(line_.Timeouts(), (std::vector<int32_t>{777, 777, 777}));
}

TEST_F(Connection, SecondInitOnAnOpenConnectionStartsWithClose) {
    ScriptConnection(line_);
    ScriptConnection(line_);
    ASSERT_EQ(VekInit(), 1);
    ASSERT_EQ(VekInit(), 1);
    ExpectScriptFollowed();
    EXPECT_EQ(streamEvents, (Lines{"close", "open", "close", "open"}));
}

TEST_F(Connection, SynchronisationReplyGivesTheDeviceKindAndAnyWordConnects) {
    for (const auto& [reply, kind] : {std::pair{0xAA55, 1}, {0xAC55, 2}, {0xAC59, 3}, {0x1234, 0}}) {
        ScriptedStream line;
        line.Expect(kSync).ReplyWord(static_cast<uint16_t>(reply));
        VekGetVekStruct()->DeviceKind = -1;
        EXPECT_TRUE(vek::Synchronize());
        EXPECT_EQ(+VekGetVekStruct()->DeviceKind, kind) << std::hex << reply;
    }
}

TEST_F(Connection, IdentifierIsSentWithItsByteSumAndItsRefusalIsNoFailure) {
    EXPECT_EQ(VekGetIdentifier(), 20054u);
    EXPECT_EQ(VekSetIdentifier(0x1FFFF), 0xFFFFu);
    EXPECT_EQ(VekGetIdentifier(), 0xFFFFu);
    ScriptUpToVersion(line_);
    line_.Expect(kChecksum).ReplyBlock(ChecksumData(0));  // boot loader: no identification follows
    line_.Expect({0x05, 0xFF, 0xFF, 0xFE, 0x01}).ReplyWord(kRefused);
    EXPECT_EQ(VekInit(), 1);
    ExpectScriptFollowed();
    EXPECT_EQ(VekGetLastError(), kRefused);
}

TEST_F(Connection, FailureLinesAreTranslatedButStepLinesAreNot) {
    VekSetCallback(VEK_CALLBACK_TRANSLATE,
                   reinterpret_cast<VekCallback>(+[](void*, const VekChar* text, VekChar* out) {
                       if (std::u16string(reinterpret_cast<const char16_t*>(text)) !=
                           u"Failed to synchronize communication")
                           return;
                       std::memcpy(out, u"Keine Synchronisation", 44);
                   }));
    line_.Expect(kSync);
    EXPECT_EQ(VekInit(), 0);
    EXPECT_EQ(LastLines(2), (Lines{" Vek synchronize", "Keine Synchronisation"}));
}

// ---------------------------------------------------------------------------
// Baud rate request

TEST_F(Connection, BaudRateCodesCoverTheRatesFrom2400To230400) {
    const std::pair<uint32_t, uint8_t> cases[] = {{2400, 0},   {4800, 1},  {9600, 2},  {14400, 3},
                                                  {19200, 4},  {28800, 5}, {38400, 6}, {57600, 7},
                                                  {115200, 8}, {230400, 9}};
    for (const auto& [rate, code] : cases) {
        ScriptedStream line;
        line.Expect(kAnnounce).ReplyWord(0x0033);  // the announcement's status is awaited, not tested
        line.Expect({0x51, code}).ReplyWord(0x8000);
        EXPECT_EQ(vek::RequestGovernorBaudRate(VekGetStream(), rate), 1) << rate;
        EXPECT_TRUE(line.Mismatches().empty()) << rate;
    }
}

TEST_F(Connection, UnknownRateIsLoggedAndSentAsTheAnnouncementCode) {
    line_.Expect(kAnnounce).ReplyWord(kOk);
    line_.Expect(kAnnounce).ReplyWord(kRefused);
    EXPECT_EQ(vek::RequestGovernorBaudRate(VekGetStream(), 31250), 0);
    ExpectScriptFollowed();
    EXPECT_EQ(log_.Lines(), (Lines{"Requesting to change the baudrate (31250)", "Invalid baudrate 31250l",
                                   "Failed to set baudrate to 31250 bauds"}));
    EXPECT_TRUE(sleeps.empty());
}

// ---------------------------------------------------------------------------
// Version block

TEST_F(Connection, VersionBlockGivesIntCodeRangesWithSignedMinimums) {
    line_.Expect(kVersion).ReplyBlock(VersionData(2310, 5123, {0xFF00, 0x0100, 0x0000, 0x8000}));
    ASSERT_TRUE(vek::ReadVersion());
    const VekStruct& d = *VekGetVekStruct();
    ASSERT_EQ(+d.IntCodeCount, 2);
    EXPECT_EQ((std::vector<int32_t>{d.IntCodeTable[0][0], d.IntCodeTable[0][1]}),
              (std::vector<int32_t>{-256, 256}));
    EXPECT_EQ((std::vector<int32_t>{d.IntCodeTable[1][0], d.IntCodeTable[1][1]}),
              (std::vector<int32_t>{0, 32768}));
    EXPECT_EQ((std::vector<int32_t>{d.IntCodeTable[250][0], d.IntCodeTable[250][1]}),
              (std::vector<int32_t>{0, 32767}));
}

TEST_F(Connection, VersionBlockOfTheLargestSizeFillsTwoHundredIntCodes) {
    Bytes data = VersionData(510, 1000);
    for (uint16_t i = 0; i < 200; ++i) data = Concat(data, Words({0, i}));
    VekGetVekStruct()->IntCodeTable[200][1] = 4711;
    line_.Expect(kVersion).ReplyBlock(data);
    ASSERT_TRUE(vek::ReadVersion());
    EXPECT_EQ(+VekGetVekStruct()->IntCodeCount, 200);
    EXPECT_EQ(+VekGetVekStruct()->IntCodeTable[199][1], 199);
    EXPECT_EQ(+VekGetVekStruct()->IntCodeTable[200][1], 4711);
}

TEST_F(Connection, FeaturesComeFromTheHardwareMajorVersion) {
    // Majors of 24 and more lie beyond the table: no features.
    const std::pair<uint16_t, uint16_t> cases[] = {{412, 0x0001}, {510, 0x0006},  {1003, 0}, {2105, 0x000F},
                                                   {2200, 0},     {2310, 0x000F}, {2400, 0}, {25599, 0}};
    for (const auto& [hardware, features] : cases) {
        ScriptedStream line;
        line.Expect(kVersion).ReplyBlock(VersionData(hardware, 1000));
        ASSERT_TRUE(vek::ReadVersion()) << hardware;
        EXPECT_EQ(+VekGetVekStruct()->Features, features) << hardware;
    }
}

TEST_F(Connection, SoftwareExtensionIsThePreviousOneAtTheVersionReadAndTheNewOneAfterTheChecksumRead) {
    line_.Expect(kVersion).ReplyBlock(VersionData(2310, 5123));
    line_.Expect(kChecksum).ReplyBlock(ChecksumData(1, 2));
    VekGetVekStruct()->ChecksumReply[14] = 3;  // left by the previous connection
    ASSERT_TRUE(vek::ReadVersion());
    EXPECT_EQ(+VekGetVekStruct()->SoftwareVersion, 53123u);
    ASSERT_TRUE(vek::ReadChecksumBlock());
    EXPECT_EQ(+VekGetVekStruct()->SoftwareMid, 21);
    EXPECT_EQ(+VekGetVekStruct()->SoftwareVersion, 52123u);
}

// ---------------------------------------------------------------------------
// Checksum block, boot loader, features

TEST_F(Connection, ChecksumBlockLengthDecidesDefinitionSizeAndBootLoader) {
    line_.Expect(kChecksum).ReplyBlock(ChecksumData(1, 0, 0x4000));
    line_.Expect(kChecksum).ReplyBlock(Bytes(6, 0));
    line_.Expect(kChecksum).ReplyBlock(Bytes(7, 0));
    ASSERT_TRUE(vek::ReadChecksumBlock());
    ASSERT_TRUE(vek::ReadChecksumBlock());
    EXPECT_EQ(vek::CommandsInfo(), 0);  // cleared before the read
    EXPECT_EQ(vek::ChecksumBlockWord(vek::checksum_block::ParDefTotalBytes), 12744);
    EXPECT_EQ(VekInBootstrapMode(), 0);
    ASSERT_TRUE(vek::ReadChecksumBlock());
    EXPECT_EQ(vek::ChecksumBlockWord(vek::checksum_block::ParDefTotalBytes), 0);
    EXPECT_EQ(VekInBootstrapMode(), 1);
}

TEST_F(Connection, BootLoaderSkipsIdentificationAndForcesErrorMemoryKindTwo) {
    // Hardware major 0 becomes 5; a known one and the other feature bits stay.
    for (const auto& [hardware, major, features] : {std::tuple{0, 5, 0x0002}, {2105, 21, 0x000E}}) {
        ScriptedStream line;
        ScriptUpToVersion(line, static_cast<uint16_t>(hardware));
        line.Expect(kChecksum).ReplyBlock(ChecksumData(0));
        line.Expect(kDefaultIdentifier).ReplyWord(kOk);
        ASSERT_EQ(VekInit(), 1);
        EXPECT_TRUE(line.Mismatches().empty() && line.Complete());  // nothing sent after the identifier
        EXPECT_EQ(+VekGetVekStruct()->HardwareMajor, major);
        EXPECT_EQ(+VekGetVekStruct()->Features, features);
        EXPECT_EQ(LastLines(1), Lines{" Get identification"});
    }
}

TEST_F(Connection, FeaturesAreRequestedAsExtendedBlocksInOrder) {
    line_.Expect(kChecksum).ReplyBlock(ChecksumData(1, 0, 0x1800, 30));
    line_.Expect({0x55, 0x06, 0x00, 0x04, 0x00, 0x4F, 0xDE, 0x37, 0x01}).ReplyWord(kOk);
    line_.Expect({0x55, 0x06, 0x00, 0x04, 0x00, 0xE6, 0x90, 0x80, 0x01}).ReplyWord(kOk);
    line_.Expect({0x55, 0x06, 0x00, 0x04, 0x00, 0x45, 0x27, 0x76, 0x00}).ReplyWord(kOk);
    EXPECT_TRUE(vek::ReadChecksumBlock());
    ExpectScriptFollowed();
}

// ---------------------------------------------------------------------------
// A failure at each step: its lines, nothing sent after it, a closed stream

struct FailingStep {
    const char* name;
    void (*script)(ScriptedStream& line);
    Lines lastLines;
};

void PrintTo(const FailingStep& step, std::ostream* os) { *os << step.name; }

const FailingStep kFailingSteps[] = {
    {"Open", [](ScriptedStream&) { scriptedOpen = FailingOperation; }, {" Vek close", " Stream open"}},
    {"Configure",
     [](ScriptedStream&) { VekGetStream()->Configure = FailingOperation; },
     {" Stream open", " Stream config"}},
    {"NoSynchronisationReply",
     [](ScriptedStream& line) { line.Expect(kSync); },
     {" Vek synchronize", "Failed to synchronize communication"}},
    {"NoAnnouncementStatus",
     [](ScriptedStream& line) {
         line.Expect(kSync).ReplyWord(0xAA55);
         line.Expect(kAnnounce);
     },
     {" Stream change baudrate", "Requesting to change the baudrate (19200)",
      "Failed to change the baudrate"}},
    {"RefusedRate",
     [](ScriptedStream& line) {
         line.Expect(kSync).ReplyWord(0xAA55);
         line.Expect(kAnnounce).ReplyWord(kOk);
         line.Expect(kRate19200).ReplyWord(kRefused);
     },
     {"Failed to set baudrate to 19200 bauds", "Failed to change the baudrate"}},
    {"NoVersion",
     [](ScriptedStream& line) {
         ScriptUpToRate(line);
         line.Expect(kVersion);
     },
     {" Vek read version", "Reading version...", "Failed to read the version"}},
    {"ShortVersion",
     [](ScriptedStream& line) {
         ScriptUpToRate(line);
         line.Expect(kVersion).ReplyBlock(Bytes(13, 0));
     },
     {"Reading version...", "Version block of 13 bytes is too short", "Failed to read the version"}},
    {"OversizedVersion",
     [](ScriptedStream& line) {
         ScriptUpToRate(line);
         line.Expect(kVersion).Reply({0x31, 0x03});  // a length word for 815 data bytes
     },
     {"Reading version...", "Block of 815 bytes is larger than the buffer of 814 bytes",
      "Failed to read the version"}},
    {"NoChecksumBlock",
     [](ScriptedStream& line) {
         ScriptUpToVersion(line);
         line.Expect(kChecksum);
     },
     {" Vek read par def checksum", "Reading parameter definitions checksum...",
      "Failed to read the parameters checksum"}},
    {"OversizedChecksumBlock",
     [](ScriptedStream& line) {
         ScriptUpToVersion(line);
         line.Expect(kChecksum).Reply({0x6D, 0x00});  // a length word for 107 data bytes
     },
     {"Block of 107 bytes is larger than the buffer of 106 bytes", "Failed to read the parameters checksum"}},
    {"RefusedFeature",  // the requests after it are not sent
     [](ScriptedStream& line) {
         ScriptUpToVersion(line);
         line.Expect(kChecksum).ReplyBlock(ChecksumData(1, 0, 0x1800, 30));
         line.Expect(FeatureRequest(0xDE4F)).ReplyWord(kRefused);
     },
     {"Failed to request protocole enhanced feature", "Failed to read the parameters checksum"}},
    {"NoIdentification",
     [](ScriptedStream& line) {
         ScriptUpToVersion(line);
         line.Expect(kChecksum).ReplyBlock(ChecksumData());
         line.Expect(kDefaultIdentifier).ReplyWord(kOk);
         line.Expect(kSerialData);
     },
     {" Get identification", "Reading identification...", "Failed to read the serial data!",
      "Failed to read the device identification"}},
};

class FailingConnection : public Connection, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FailingConnection, LogsTheStepsLinesStopsAndClosesTheStream) {
    GetParam().script(line_);
    EXPECT_EQ(VekInit(), 0);
    EXPECT_EQ(LastLines(GetParam().lastLines.size()), GetParam().lastLines);
    ExpectScriptFollowed();
    EXPECT_FALSE(VekGetStream()->IsOpen(VekGetStream()));
    EXPECT_EQ(streamEvents.back(), "close");
}

INSTANTIATE_TEST_SUITE_P(EachStep, FailingConnection, ::testing::ValuesIn(kFailingSteps),
                         [](const ::testing::TestParamInfo<FailingStep>& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Against the simulated governor

using SimulatedConnection = ConnectionTest;

// A text of the packed device record, read as bytes from its offset.
std::string Text(std::size_t offset, std::size_t capacity) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(VekGetVekStruct()) + offset;
    std::string text;
    for (std::size_t i = 0; i < capacity && (bytes[2 * i] || bytes[2 * i + 1]); ++i) {
        text += static_cast<char>(bytes[2 * i]);
    }
    return text;
}

TEST_F(SimulatedConnection, InitConnectsToEveryProfile) {
    for (const std::string_view name : vekgov::ProfileNames()) {
        SCOPED_TRACE(std::string(name));
        const vekgov::DeviceProfile profile = *vekgov::FindProfile(name);
        vekgov::InProcessHost host(profile);
        SetConfig(u"COM1,57600");
        VekGetStream()->RequestBaudRate = vek::RequestGovernorBaudRate;
        ASSERT_EQ(VekInit(), 1);
        const VekStruct& d = *VekGetVekStruct();
        EXPECT_EQ(+d.HardwareVersion, profile.hardwareVersion);
        EXPECT_EQ(+d.ChecksumReplyLength, profile.checksumBlockLength);
        EXPECT_EQ(host.Model().link.BaudRate(), 57600u);
        EXPECT_EQ(host.Model().link.enabledFeatures, profile.acceptedFeatures);
        EXPECT_TRUE(host.Model().link.lastIdentifier && host.Model().link.lastIdentifier->accepted);
        EXPECT_EQ(VekInBootstrapMode(), name == "bootloader" ? 1 : 0);
        if (d.Features & vek::features::Identification) {
            EXPECT_EQ(Text(offsetof(VekStruct, PpsNumber), 20), "123-45-678-09-B");
        }
        EXPECT_EQ(VekClose(), 1);
        EXPECT_FALSE(host.IsOpen());
    }
}

TEST_F(SimulatedConnection, LogShowsTheStepLinesInOrder) {
    vekgov::InProcessHost host(*vekgov::FindProfile("default"));
    SetConfig(u"COM1,19200");
    VekGetStream()->RequestBaudRate = vek::RequestGovernorBaudRate;
    vektest::LogCapture log;
    ASSERT_EQ(VekInit(), 1);
    EXPECT_EQ(log.Lines(), kConnectionLog);
    EXPECT_EQ(+VekGetVekStruct()->SoftwareVersion, 52123u);
}

}  // namespace
