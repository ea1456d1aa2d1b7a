// Timed lists: the configuration frames on the line, the stored entries, and
// what a sample does to the cached values, the real values and the stamp.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/ToolRun.hpp"

#include "Governor.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"
#include "Values.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::ScriptedStream;
using vektest::Words;

constexpr uint32_t kTimer = 2999;
const Bytes kReset = {0xC1};
const Bytes kStart = {0xC3};

ParDef* Define(uint32_t id, const std::u16string& name = u"") {
    ParDef* def = VekAddParDef(id);
    std::memcpy(def->Name, name.c_str(), (name.size() + 1) * sizeof(VekChar));
    return def;
}

// A value with one decimal over the whole word: raw 1234 reads 123.4.
ParDef* DefineTenths(uint32_t id) {
    ParDef* def = Define(id);
    def->Format = 0x10;
    def->Max = 65535;
    def->RealMax = 6553.5;
    return def;
}

void SetCommandsInfo(uint16_t bits) {
    VekStruct& device = *VekGetVekStruct();
    device.ChecksumReply[vek::checksum_block::CommandsInfo] = static_cast<uint8_t>(bits);
    device.ChecksumReply[vek::checksum_block::CommandsInfo + 1] = static_cast<uint8_t>(bits >> 8);
}

std::vector<uint32_t> StoredList(uint8_t list) {
    uint32_t count = 0;
    uint32_t* ids = nullptr;
    VekGetTimedList(list, &count, &ids);
    return ids ? std::vector<uint32_t>(ids, ids + count) : std::vector<uint32_t>{};
}

class TimedList : public ::testing::Test {
protected:
    void SetUp() override {
        Define(kTimer, u"Timer");
        VekGetVekStruct()->IntCodeCount = 1;
        VekGetVekStruct()->IntCodeTable[0][1] = 65535;
    }

    void ExpectLineFollowedScript() {
        EXPECT_TRUE(line_.Mismatches().empty()) << line_.Mismatches().front();
        EXPECT_TRUE(line_.Complete());
    }

    // Configures list 0 with the numbers, all acknowledged.
    void Configure(const std::vector<uint32_t>& numbers, uint8_t list = 0) {
        Bytes block = Words({static_cast<uint16_t>(list + 1), kTimer});
        for (uint32_t id : numbers) {
            const Bytes word = Words({static_cast<uint16_t>(id)});
            block.insert(block.end(), word.begin(), word.end());
        }
        Bytes request = {0x80};
        const Bytes framed = ScriptedStream::Block(block);
        request.insert(request.end(), framed.begin(), framed.end());
        line_.Expect(kReset).ReplyWord(0);
        line_.Expect(request).ReplyWord(0);
        line_.Expect(kStart).ReplyWord(0);
        ASSERT_EQ(VekSetTimedList(list, static_cast<uint32_t>(numbers.size()), numbers.data()), 1);
    }

    ScriptedStream line_;
    vektest::LogCapture log_;
};

// --- Configuration -------------------------------------------------------

TEST_F(TimedList, ListTwoWithThreeNumbersSendsTheDocumentedFrames) {
    const uint32_t ids[] = {2001, 2005, 2010};
    line_.Expect(kReset).ReplyWord(0);
    line_.Expect({0x80, 0x0C, 0x00, 0x03, 0x00, 0xB7, 0x0B, 0xD1, 0x07, 0xD5, 0x07, 0xDA, 0x07, 0x66, 0x03})
        .ReplyWord(0);
    line_.Expect(kStart).ReplyWord(0);
    EXPECT_EQ(VekSetTimedList(2, 3, ids), 1);
    ExpectLineFollowedScript();
    EXPECT_EQ(StoredList(2), (std::vector<uint32_t>{2001, 2005, 2010}));
}

TEST_F(TimedList, LongNumbersSendFourBytesEach) {
    SetCommandsInfo(vek::commands_info::LongParameterNumbers);
    const uint32_t ids[] = {0x00012345};
    line_.Expect(kReset).ReplyWord(0);
    // 6 + 4 data bytes: list 1, timer 2999, 0x12345, each number 32-bit.
    line_.Expect({0x80, 0x0C, 0x00, 0x01, 0x00, 0xB7, 0x0B, 0x00, 0x00, 0x45, 0x23, 0x01, 0x00, 0x38, 0x01})
        .ReplyWord(0);
    line_.Expect(kStart).ReplyWord(0);
    EXPECT_EQ(VekSetTimedList(0, 1, ids), 1);
    ExpectLineFollowedScript();
}

TEST_F(TimedList, ShortNumbersSendTheLowHalf) {
    const uint32_t ids[] = {0x00012345};
    line_.Expect(kReset).ReplyWord(0);
    line_.Expect({0x80, 0x08, 0x00, 0x01, 0x00, 0xB7, 0x0B, 0x45, 0x23, 0x33, 0x01}).ReplyWord(0);
    line_.Expect(kStart).ReplyWord(0);
    EXPECT_EQ(VekSetTimedList(0, 1, ids), 1);
    ExpectLineFollowedScript();
}

TEST_F(TimedList, CountZeroConfiguresTheStoredEntryOrTheTimerAlone) {
    // Never configured: the timer alone.
    line_.Expect(kReset).ReplyWord(0);
    line_.Expect({0x80, 0x06, 0x00, 0x01, 0x00, 0xB7, 0x0B, 0xC9, 0x00}).ReplyWord(0);
    line_.Expect(kStart).ReplyWord(0);
    EXPECT_EQ(VekSetTimedList(0, 0, nullptr), 1);
    ExpectLineFollowedScript();

    Configure({2001});
    // Numbers without a count, or no numbers at all: the stored entry again.
    const uint32_t ignored[] = {2222};
    for (int call = 0; call < 2; ++call) {
        line_.Expect(kReset).ReplyWord(0);
        line_.Expect({0x80, 0x08, 0x00, 0x01, 0x00, 0xB7, 0x0B, 0xD1, 0x07, 0xA3, 0x01}).ReplyWord(0);
        line_.Expect(kStart).ReplyWord(0);
    }
    EXPECT_EQ(VekSetTimedList(0, 0, ignored), 1);
    EXPECT_EQ(VekSetTimedList(0, 1, nullptr), 1);
    ExpectLineFollowedScript();
    EXPECT_EQ(StoredList(0), (std::vector<uint32_t>{2001}));
}

TEST_F(TimedList, ResetAndStartAcceptBitOneAndBitFifteen) {
    const uint32_t ids[] = {2001};
    line_.Expect(kReset).ReplyWord(0x8002);
    line_.Expect({0x80, 0x08, 0x00, 0x01, 0x00, 0xB7, 0x0B, 0xD1, 0x07, 0xA3, 0x01}).ReplyWord(0x8000);
    line_.Expect(kStart).ReplyWord(0x0002);
    EXPECT_EQ(VekSetTimedList(0, 1, ids), 1);
    EXPECT_EQ(VekGetLastError(), 0x0002u);
}

TEST_F(TimedList, SeventeenItemsAreRefusedAfterTheReset) {
    Configure({2001, 2002});
    std::vector<uint32_t> tooMany(17, 2003);
    line_.Expect(kReset).ReplyWord(0);
    EXPECT_EQ(VekSetTimedList(0, 17, tooMany.data()), 0);
    ExpectLineFollowedScript();
    EXPECT_EQ(log_.Lines().back(), "Timed list is to big (max=16 items)");
    EXPECT_EQ(StoredList(0), (std::vector<uint32_t>{2001, 2002}));
}

struct Refusal {
    const char* name;
    uint16_t resetStatus;
    uint16_t configureStatus;
    const char* message;
    std::size_t bytesWritten;
};
void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class TimedListRefusal : public TimedList, public ::testing::WithParamInterface<Refusal> {};

TEST_P(TimedListRefusal, FailsWithItsMessageAndSendsNothingAfterIt) {
    const Refusal& r = GetParam();
    const uint32_t ids[] = {2001};
    line_.Expect(kReset).ReplyWord(r.resetStatus);
    line_.Expect({0x80, 0x08, 0x00, 0x01, 0x00, 0xB7, 0x0B, 0xD1, 0x07, 0xA3, 0x01}).ReplyWord(r.configureStatus);
    line_.Expect(kStart).ReplyWord(0x0001);
    EXPECT_EQ(VekSetTimedList(0, 1, ids), 0);
    EXPECT_EQ(log_.Lines().back(), r.message);
    EXPECT_EQ(line_.Written().size(), r.bytesWritten);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, TimedListRefusal,
    ::testing::Values(Refusal{"Reset", 0x0004, 0, "Failed to reset the timed list configuration", 1},
                      Refusal{"Configure", 0, 0x0002, "Failed to configure timed list", 12},
                      Refusal{"Start", 0, 0, "Failed to start the timed list", 13}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.name; });

TEST_F(TimedList, AStoreStaysWhenALaterStepFails) {
    const uint32_t ids[] = {2001, 2002};
    line_.Expect(kReset).ReplyWord(0);
    line_.Expect({0x80});  // no status word arrives
    EXPECT_EQ(VekSetTimedList(5, 2, ids), 0);
    EXPECT_EQ(StoredList(5), (std::vector<uint32_t>{2001, 2002}));
}

TEST_F(TimedList, MissingStatusWordFailsWithoutAMessage) {
    const uint32_t ids[] = {2001};
    line_.Expect(kReset);
    EXPECT_EQ(VekSetTimedList(0, 1, ids), 0);
    EXPECT_TRUE(log_.Lines().empty());
    EXPECT_EQ(StoredList(0), std::vector<uint32_t>{});
}

TEST_F(TimedList, WithoutATimerNothingIsSent) {
    VekClearParDefs();
    Define(2001);
    const uint32_t ids[] = {2001};
    EXPECT_EQ(VekSetTimedList(0, 1, ids), 0);
    EXPECT_TRUE(line_.Written().empty());
    EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"Cannot configure timed list 0: no parameter named \"Timer\""}));
    EXPECT_EQ(StoredList(0), std::vector<uint32_t>{});
}

TEST_F(TimedList, ListAbove63AndBootLoaderAreRefusedSilently) {
    const uint32_t ids[] = {2001};
    EXPECT_EQ(VekSetTimedList(64, 1, ids), 0);
    VekStruct& device = *VekGetVekStruct();
    device.ChecksumReplyLength = 7;  // BootstrapWord 0
    EXPECT_EQ(VekSetTimedList(0, 1, ids), 0);
    EXPECT_TRUE(line_.Written().empty());
    EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(TimedList, GetterRefusesList64AndHandsOutALivePointer) {
    uint32_t count = 99;
    uint32_t* untouched = reinterpret_cast<uint32_t*>(&count);
    VekGetTimedList(64, &count, &untouched);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(untouched, reinterpret_cast<uint32_t*>(&count));

    uint32_t* ids = nullptr;
    VekGetTimedList(63, &count, &ids);
    ASSERT_NE(ids, nullptr);
    EXPECT_EQ(count, 0u);
    Configure({2001, 2002}, 63);
    EXPECT_EQ(ids[0], 2001u);  // the same storage shows the change
    EXPECT_EQ(ids[1], 2002u);
}

// --- Sampling ------------------------------------------------------------

TEST_F(TimedList, SampleUpdatesCacheRealValuesAndStamp) {
    ParDef* speed = DefineTenths(2001);
    ParDef* pressure = DefineTenths(2005);
    Configure({2001, 2005}, 3);
    VekGetStream()->ResponseTimeout = 345;
    line_.Expect({0x84}).ReplyBlock(Words({1000, 1234, 50}));
    uint32_t stamp = 0;
    double values[3] = {-1, -1, -1};
    EXPECT_EQ(VekReadTimedList(3, &stamp, values), 1);
    ExpectLineFollowedScript();
    EXPECT_EQ(stamp, 1000u);
    EXPECT_EQ(speed->RawValue, 1234);
    EXPECT_EQ(pressure->RawValue, 50);
    EXPECT_DOUBLE_EQ(values[0], 123.4);
    EXPECT_DOUBLE_EQ(values[1], 5.0);
    EXPECT_EQ(values[2], -1);
    // Awaited for the reply time, then the time-out of before.
    EXPECT_EQ(line_.Timeouts(), (std::vector<int32_t>{345, 1200}));
    EXPECT_EQ(log_.Lines().back(), "Reading timed list...");
}

TEST_F(TimedList, SampleAtTheReplyTimeLeavesTheTimeoutAlone) {
    VekGetStream()->ResponseTimeout = 1200;  // what the line has now
    line_.Expect({0x81}).ReplyBlock(Words({1}));
    EXPECT_EQ(VekReadTimedList(0, nullptr, nullptr), 1);
    EXPECT_TRUE(line_.Timeouts().empty());
}

TEST_F(TimedList, StampWrapsAcrossListsAndOutputsAreOptional) {
    ParDef* speed = Define(2001);
    Configure({2001}, 0);
    Configure({2001}, 1);
    line_.Expect({0x81}).ReplyBlock(Words({65000, 7}));
    line_.Expect({0x82}).ReplyBlock(Words({100, 8}));
    line_.Expect({0x81}).ReplyBlock(Words({100, 9}));  // no backward step: no wrap
    line_.Expect({0x82}).ReplyBlock(Words({99}));
    uint32_t stamp = 0;
    EXPECT_EQ(VekReadTimedList(0, &stamp, nullptr), 1);
    EXPECT_EQ(stamp, 65000u);
    EXPECT_EQ(VekReadTimedList(1, nullptr, nullptr), 1);
    EXPECT_EQ(speed->RawValue, 8);
    EXPECT_EQ(VekReadTimedList(0, &stamp, nullptr), 1);
    EXPECT_EQ(stamp, 65636u);
    EXPECT_EQ(speed->RawValue, 9);
    EXPECT_EQ(VekReadTimedList(1, &stamp, nullptr), 1);
    EXPECT_EQ(stamp, 2u * 65536u + 99u);
}

TEST_F(TimedList, StampOnlySampleChangesNoValue) {
    ParDef* speed = Define(2001);
    speed->RawValue = 77;
    Configure({2001});
    line_.Expect({0x81}).ReplyBlock(Words({12}));
    uint32_t stamp = 0;
    EXPECT_EQ(VekReadTimedList(0, &stamp, nullptr), 1);
    EXPECT_EQ(stamp, 12u);
    EXPECT_EQ(speed->RawValue, 77);
}

TEST_F(TimedList, SampleTakesOnlyWhatFitsTheList) {
    ParDef* a = DefineTenths(2001);
    ParDef* c = DefineTenths(2003);
    ParDef* beyond = Define(2004);
    Configure({2001, 2002, 2003});  // 2002 has no definition
    // More words than the list has items, and more than a full list could carry.
    std::vector<uint16_t> words = {500, 10, 20, 30};
    while (words.size() < 40) words.push_back(0xEEEE);
    Bytes data;
    for (uint16_t w : words) {
        const Bytes word = Words({w});
        data.insert(data.end(), word.begin(), word.end());
    }
    line_.Expect({0x81}).ReplyBlock(data);
    line_.Expect({0x81}).ReplyBlock(Words({501, 11}));
    double values[4] = {-1, -1, -1, -1};
    uint32_t stamp = 0;
    EXPECT_EQ(VekReadTimedList(0, &stamp, values), 1);
    EXPECT_EQ(a->RawValue, 10);
    EXPECT_EQ(c->RawValue, 30);
    EXPECT_EQ(beyond->RawValue, 0);
    EXPECT_FALSE(VekExistsParDef(2002));
    EXPECT_DOUBLE_EQ(values[0], 1.0);
    EXPECT_EQ(values[1], -1);  // no definition: the element is left alone
    EXPECT_DOUBLE_EQ(values[2], 3.0);
    EXPECT_EQ(values[3], -1);
    EXPECT_EQ(stamp, 500u);
    // The long block was read whole: the next sample is understood.
    EXPECT_EQ(VekReadTimedList(0, &stamp, values), 1);
    EXPECT_EQ(stamp, 501u);
    ExpectLineFollowedScript();
}

TEST_F(TimedList, OddLengthIgnoresTheLastByte) {
    ParDef* a = Define(2001);
    ParDef* b = Define(2002);
    Configure({2001, 2002});
    line_.Expect({0x81}).ReplyBlock({0x10, 0x00, 0x05, 0x00, 0x06});
    uint32_t stamp = 0;
    EXPECT_EQ(VekReadTimedList(0, &stamp, nullptr), 1);
    EXPECT_EQ(stamp, 16u);
    EXPECT_EQ(a->RawValue, 5);
    EXPECT_EQ(b->RawValue, 0);
}

TEST_F(TimedList, FailedSamplesChangeNeitherCacheNorStamp) {
    ParDef* speed = Define(2001);
    Configure({2001});
    line_.Expect({0x81}).ReplyBlock(Words({60000, 1}));
    uint32_t stamp = 0;
    ASSERT_EQ(VekReadTimedList(0, &stamp, nullptr), 1);

    line_.Expect({0x81}).ReplyBlock({});                 // empty
    line_.Expect({0x81}).ReplyBlock({0x05});             // half a stamp
    line_.Expect({0x81}).Reply({0x06, 0x00, 0x05, 0x00, 0x02, 0x00, 0x00, 0x00});  // checksum off
    line_.Expect({0x81});                                // silence
    stamp = 7;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(VekReadTimedList(0, &stamp, nullptr), 0) << "sample " << i;
    EXPECT_EQ(stamp, 7u);
    EXPECT_EQ(speed->RawValue, 1);
    EXPECT_TRUE(log_.Contains("Timed list sample of 1 bytes carries no stamp"));

    // The stamp pair is unchanged: a smaller stamp now counts one wrap.
    line_.Expect({0x81}).ReplyBlock(Words({5, 2}));
    EXPECT_EQ(VekReadTimedList(0, &stamp, nullptr), 1);
    EXPECT_EQ(stamp, 65536u + 5u);
}

TEST_F(TimedList, ListsUpTo63AreRead) {
    uint32_t stamp = 3;
    EXPECT_EQ(VekReadTimedList(64, &stamp, nullptr), 0);
    EXPECT_TRUE(line_.Written().empty());
    EXPECT_EQ(stamp, 3u);
    line_.Expect({0xC0}).ReplyBlock(Words({1}));
    EXPECT_EQ(VekReadTimedList(63, nullptr, nullptr), 1);
    ExpectLineFollowedScript();
}

}  // namespace

// --- Against the simulated governor ---------------------------------------

namespace {

class TimedListSim : public ::testing::Test {
protected:
    explicit TimedListSim(const char* profile = "default") : host_(*vekgov::FindProfile(profile)) {}

    void SetUp() override {
        Define(kTimer, u"Timer");
        Define(2000);
        ASSERT_EQ(VekInit(), 1);
    }
    vekgov::GovernorModel& Model() { return host_.Model(); }

    vekgov::InProcessHost host_;
    vektest::LogCapture log_;
};

TEST_F(TimedListSim, SamplesFollowTheRunningTimerAcrossWraps) {
    const uint32_t ids[] = {2000, kTimer};
    ASSERT_EQ(VekSetTimedList(0, 2, ids), 1);
    vekgov::WriteValue(Model(), 2000, 1234);
    uint32_t stamp = 0;
    std::vector<uint32_t> stamps;
    for (const uint64_t step : {65000u, 636u, 40000u, 40000u}) {
        Model().clock.Advance(step);
        ASSERT_EQ(VekReadTimedList(0, &stamp, nullptr), 1);
        stamps.push_back(stamp);
        EXPECT_EQ(VekGetParDef(kTimer)->RawValue, static_cast<uint16_t>(stamp));
    }
    EXPECT_EQ(stamps, (std::vector<uint32_t>{65000, 65636, 105636, 145636}));
    EXPECT_EQ(VekGetParDef(2000)->RawValue, 1234);
}

TEST_F(TimedListSim, GovernorRefusesWhatItDoesNotKnow) {
    const uint32_t undefined[] = {1999};
    EXPECT_EQ(VekSetTimedList(0, 1, undefined), 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to configure timed list");

    // A "Timer" that is not the governor's own.
    VekClearParDefs();
    Define(2000, u"Timer");
    const uint32_t ids[] = {2000};
    EXPECT_EQ(VekSetTimedList(1, 1, ids), 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to configure timed list");
    EXPECT_FALSE(Model().timedLists.lists[1]);
}

TEST_F(TimedListSim, UnconfiguredListAnswersAnEmptySample) {
    const uint32_t ids[] = {2000};
    ASSERT_EQ(VekSetTimedList(0, 1, ids), 1);
    EXPECT_EQ(VekReadTimedList(1, nullptr, nullptr), 0);
    EXPECT_EQ(VekReadTimedList(0, nullptr, nullptr), 1);
}

class TimedListSimWide : public TimedListSim {
protected:
    TimedListSimWide() : TimedListSim("wide") {}
};

TEST_F(TimedListSimWide, LongNumbersAreUnderstood) {
    const uint32_t ids[] = {2000, 10001};
    ASSERT_EQ(VekSetTimedList(7, 2, ids), 1);
    EXPECT_EQ(*Model().timedLists.lists[7], (std::vector<uint32_t>{2000, 10001}));
}

}  // namespace

// --- vek watch -------------------------------------------------------------

namespace {

class WatchTool : public vektest::ToolTest {};

std::vector<std::string> LinesAfter(const std::string& output, const std::string& first) {
    std::vector<std::string> lines;
    std::size_t at = output.find(first + "\n");
    while (at != std::string::npos && at < output.size()) {
        const std::size_t end = output.find('\n', at);
        lines.push_back(output.substr(at, end - at));
        at = end == std::string::npos ? end : end + 1;
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

TEST_F(WatchTool, PrintsOneLinePerSampleWithTheStamp) {
    const vektest::ToolRun run = vektest::RunTool("watch Speed 2999 --interval 0 --count 3");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string header = "Stamp [ms]\tSpeed [rpm]\tTimer [ms]";
    const std::vector<std::string> lines = LinesAfter(run.output, header);
    ASSERT_EQ(lines.size(), 4u) << run.output;
    uint32_t previous = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Fields(lines[i]);
        ASSERT_EQ(fields.size(), 3u) << lines[i];
        const uint32_t stamp = static_cast<uint32_t>(std::stoul(fields[0]));
        EXPECT_GE(stamp, previous);
        previous = stamp;
        // The timer item is the stamp's low 16 bits, from the same sample.
        EXPECT_EQ(fields[2], std::to_string(stamp % 65536)) << lines[i];
        EXPECT_FALSE(fields[1].empty());
    }
}

TEST_F(WatchTool, RefusesWhatItCannotWatch) {
    std::string seventeen = "watch";
    for (int i = 0; i < 17; ++i) seventeen += " Speed";
    const char* const cases[][2] = {
        {"watch", "vek: items is required (see vek watch --help)\n"},
        {"watch Speed --interval soon", "vek: --interval: 'soon' is not a whole number of 0 or more (see vek watch --help)\n"},
        {"watch Speed --count -1", "vek: --count: '-1' is not a whole number of 0 or more (see vek watch --help)\n"},
        {"watch Speed --every 5", "vek: The following argument was not expected: --every (see vek watch --help)\n"},
        {seventeen.c_str(), "vek: items: At Most 16 required but received 17 (see vek watch --help)\n"},
        {"watch Nope --count 1", "vek: watch: no definition named 'Nope'\n"},
        {"watch 1999 --count 1", "vek: watch: no definition numbered 1999\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const vektest::ToolRun run = vektest::RunTool(arguments);
        EXPECT_NE(run.status, 0) << arguments;
        const std::string ending = message;
        ASSERT_GE(run.output.size(), ending.size()) << arguments << ": " << run.output;
        EXPECT_EQ(run.output.substr(run.output.size() - ending.size()), ending) << arguments << ": " << run.output;
    }
}

}  // namespace

// --- The simulated governor's own rules -----------------------------------

namespace {

class TimedListGovernor : public ::testing::Test {
protected:
    Bytes Exchange(const Bytes& request) {
        governor_.Engine().Feed(request.data(), request.size());
        Bytes reply(governor_.Engine().Available());
        governor_.Engine().Take(reply.data(), reply.size());
        return reply;
    }
    // Configuration of list 0 with the timer and 2000.
    Bytes ConfigureListZero() {
        Bytes request = {0x80};
        const Bytes block = ScriptedStream::Block(Words({1, kTimer, 2000}));
        request.insert(request.end(), block.begin(), block.end());
        return Exchange(request);
    }

    vekgov::Governor governor_{*vekgov::FindProfile("default")};
};

TEST_F(TimedListGovernor, ResetAndStartTellWhetherTheSamplingRan) {
    EXPECT_EQ(Exchange({0xC1}), Words({0x0002}));  // nothing ran
    EXPECT_EQ(Exchange({0xC3}), Words({0x0000}));
    EXPECT_EQ(Exchange({0xC3}), Words({0x0002}));  // runs already
    EXPECT_EQ(Exchange({0xC1}), Words({0x0000}));
}

TEST_F(TimedListGovernor, ListsChangeOnlyWhileStoppedAndAreForgottenAtTheWakeUp) {
    Exchange({0xC3});
    EXPECT_EQ(ConfigureListZero(), Words({0x0001}));
    Exchange({0xC1});
    EXPECT_EQ(ConfigureListZero(), Words({0x0000}));
    Exchange({0xC3});
    EXPECT_EQ(Exchange({0x81}), ScriptedStream::Block(Words({0, 0})));

    governor_.Engine().Reset();
    EXPECT_FALSE(governor_.Model().timedLists.lists[0]);
    EXPECT_EQ(Exchange({0x81}), ScriptedStream::Block({}));
}

TEST_F(TimedListGovernor, BrokenConfigurationBlocksAreRefused) {
    const Bytes wrongChecksum = {0x80, 0x06, 0x00, 0x01, 0x00, 0xB7, 0x0B, 0xC8, 0x00};
    const Bytes halfANumber = {0x80, 0x07, 0x00, 0x01, 0x00, 0xB7, 0x0B, 0xD0, 0x9A, 0x01};
    const Bytes otherTimer = {0x80, 0x06, 0x00, 0x01, 0x00, 0xB6, 0x0B, 0xC8, 0x00};
    for (const Bytes& request : {wrongChecksum, halfANumber, otherTimer}) EXPECT_EQ(Exchange(request), Words({1}));
    EXPECT_FALSE(governor_.Model().timedLists.lists[0]);
}

}  // namespace
