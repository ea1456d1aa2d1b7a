// Actual errors: the two reply formats, their different old values, the
// pending list and what a failed or refused read leaves behind.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/ToolRun.hpp"

#include "ActualErrors.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::ScriptedStream;

const Bytes kBasic = {0x06};
const Bytes kExtended = {0x42};

struct Pending {
    uint32_t id;
    uint16_t oldValue;
    bool operator==(const Pending& o) const { return id == o.id && oldValue == o.oldValue; }
};

void PrintTo(const Pending& p, std::ostream* os) { *os << "{" << p.id << ", " << p.oldValue << "}"; }

std::vector<Pending> PendingList() {
    std::vector<Pending> list;
    for (uint32_t i = 0; i < VekGetPendingErrorsNum(); ++i) {
        list.push_back({VekGetPendingErrorId(i), VekGetPendingErrorOldValue(i)});
    }
    return list;
}

Bytes BasicEntry(uint16_t id, uint8_t state) {
    return {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), state};
}
Bytes ExtendedEntry(uint16_t id, uint16_t state) {
    return {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(state),
            static_cast<uint8_t>(state >> 8)};
}
Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

int idleCalls = 0;
void VEK_CALL CountIdle(void*) { ++idleCalls; }

class ActualErrors : public ::testing::Test {
protected:
    void SetUp() override {
        idleCalls = 0;
        VekSetCallback(VEK_CALLBACK_IDLE, reinterpret_cast<VekCallback>(CountIdle));
    }
    void UseExtendedFormat() {
        VekGetVekStruct()->ChecksumReply[vek::checksum_block::CommandsInfo] = vek::commands_info::ExtendedActualErrors;
    }
    ParDef* Error(uint32_t id, uint16_t rawValue) {
        ParDef* def = VekAddParDef(id);
        def->RawValue = rawValue;
        return def;
    }
    void ExpectLineFollowedScript() {
        EXPECT_TRUE(line_.Mismatches().empty()) << line_.Mismatches().front();
        EXPECT_TRUE(line_.Complete());
    }

    ScriptedStream line_;
    vektest::LogCapture log_;
};

TEST_F(ActualErrors, BasicOldValueIsTheValueBeforeTheRead) {
    ParDef* err = Error(3105, 1);
    line_.Expect(kBasic).ReplyBlock(BasicEntry(3105, 2));
    EXPECT_EQ(VekReadActualErrors(), 1);
    ExpectLineFollowedScript();
    EXPECT_EQ(err->RawValue, 2);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3105, 1}}));
    EXPECT_EQ(idleCalls, 2);
    EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"Reading actual errors..."}));
}

TEST_F(ActualErrors, ExtendedOldValueIsTheNewState) {
    UseExtendedFormat();
    ParDef* err = Error(3105, 1);
    line_.Expect(kExtended).ReplyBlock(ExtendedEntry(3105, 0x0102));
    EXPECT_EQ(VekReadActualErrors(), 1);
    ExpectLineFollowedScript();
    EXPECT_EQ(err->RawValue, 0x0102);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3105, 0x0102}}));
    EXPECT_EQ(idleCalls, 1);
}

TEST_F(ActualErrors, BasicReplyOfSevenBytesHasTwoEntries) {
    ParDef* a = Error(3100, 0);
    ParDef* b = Error(3101, 3);
    ParDef* c = Error(0x0C09, 0);  // what a third entry's first two bytes would name
    line_.Expect(kBasic).ReplyBlock(Join({BasicEntry(3100, 1), BasicEntry(3101, 0), {0x09}}));
    EXPECT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(a->RawValue, 1);
    EXPECT_EQ(b->RawValue, 0);  // state 0 clears the value and makes no entry
    EXPECT_EQ(c->RawValue, 0);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3100, 0}}));
    EXPECT_EQ(VekGetPendingErrorId(1), 0u);
    EXPECT_EQ(VekGetPendingErrorOldValue(1), 0);
}

TEST_F(ActualErrors, NumbersWithoutDefinitionAreSkipped) {
    UseExtendedFormat();
    Error(3102, 0);
    line_.Expect(kExtended).ReplyBlock(Join({ExtendedEntry(3199, 1), ExtendedEntry(3102, 3)}));
    EXPECT_EQ(VekReadActualErrors(), 1);
    EXPECT_FALSE(VekExistsParDef(3199));
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3102, 3}}));
}

TEST_F(ActualErrors, EachReadReplacesThePendingList) {
    Error(3100, 0);
    Error(3101, 0);
    line_.Expect(kBasic).ReplyBlock(Join({BasicEntry(3100, 1), BasicEntry(3101, 1)}));
    line_.Expect(kBasic).ReplyBlock(Join({BasicEntry(3100, 0), BasicEntry(3101, 2)}));
    line_.Expect(kBasic).ReplyBlock({});
    ASSERT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3100, 0}, {3101, 0}}));
    ASSERT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3101, 1}}));
    ASSERT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(PendingList(), std::vector<Pending>{});
}

TEST_F(ActualErrors, SuccessfulReadMarksErrorsCurrentEvenWhenFlagged) {
    Error(3100, 0);
    line_.Expect(kBasic).ReplyBlock(BasicEntry(3100, 1), true);
    EXPECT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, 1);
}

TEST_F(ActualErrors, FailedReadsChangeNothing) {
    ParDef* err = Error(3100, 0);
    line_.Expect(kBasic).ReplyBlock(BasicEntry(3100, 1));
    ASSERT_EQ(VekReadActualErrors(), 1);
    VekGetVekStruct()->ErrorsCurrent = 0;

    line_.Expect(kBasic).Reply({0x05, 0x00, 0x1C, 0x0C, 0x00, 0x00, 0x00});  // checksum off
    line_.Expect(kBasic);                                                   // silence
    EXPECT_EQ(VekReadActualErrors(), 0);
    EXPECT_EQ(VekReadActualErrors(), 0);
    EXPECT_EQ(err->RawValue, 1);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3100, 0}}));
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, 0);
}

struct Oversize {
    const char* name;
    bool extended;
    std::string message;
};
void PrintTo(const Oversize& o, std::ostream* os) { *os << o.name; }

class ActualErrorsSize : public ActualErrors, public ::testing::WithParamInterface<Oversize> {};

TEST_P(ActualErrorsSize, FiveHundredTwelveEntriesFitOneMoreIsRefused) {
    const Oversize& o = GetParam();
    if (o.extended) UseExtendedFormat();
    const Bytes& command = o.extended ? kExtended : kBasic;
    ParDef* err = Error(3100, 0);
    const auto reply = [&](std::size_t entries, uint8_t state) {
        Bytes data;
        for (std::size_t i = 0; i < entries; ++i) {
            const Bytes entry = o.extended ? ExtendedEntry(3100, state) : BasicEntry(3100, state);
            data.insert(data.end(), entry.begin(), entry.end());
        }
        return data;
    };
    line_.Expect(command).ReplyBlock(reply(512, 1));
    line_.Expect(command).ReplyBlock(reply(513, 2));
    line_.Expect(command).ReplyBlock(reply(1, 3));
    EXPECT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(VekGetPendingErrorsNum(), 512u);

    EXPECT_EQ(VekReadActualErrors(), 0);
    EXPECT_EQ(log_.Lines().back(), o.message);
    EXPECT_EQ(err->RawValue, 1);
    EXPECT_EQ(VekGetPendingErrorsNum(), 512u);

    // The refused reply was taken off the line whole.
    EXPECT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(err->RawValue, 3);
    ExpectLineFollowedScript();
}

INSTANTIATE_TEST_SUITE_P(
    BothFormats, ActualErrorsSize,
    ::testing::Values(Oversize{"Basic", false, "Actual errors reply of 1539 bytes is longer than 1536 bytes"},
                      Oversize{"Extended", true, "Actual errors reply of 2052 bytes is longer than 2048 bytes"}),
    [](const ::testing::TestParamInfo<Oversize>& info) { return info.param.name; });

TEST_F(ActualErrors, GettersOnAnEmptyListGiveZero) {
    EXPECT_EQ(VekGetPendingErrorsNum(), 0u);
    EXPECT_EQ(VekGetPendingErrorId(0), 0u);
    EXPECT_EQ(VekGetPendingErrorOldValue(0), 0);
    EXPECT_EQ(VekGetPendingErrorId(0xFFFFFFFFu), 0u);
}

}  // namespace

// --- Against the simulated governor ---------------------------------------

namespace {

class ActualErrorsSim : public ::testing::Test {
protected:
    explicit ActualErrorsSim(const char* profile) : host_(*vekgov::FindProfile(profile)) {}

    void SetUp() override {
        for (uint32_t id : {3105u, 3107u, 3110u}) VekAddParDef(id);
        ASSERT_EQ(VekInit(), 1);
        ASSERT_EQ(VekReadActualErrors(), 1);
    }
    vekgov::GovernorModel& Model() { return host_.Model(); }
    // Any exchange with a block reply shows the checksum flag.
    uint8_t ErrorsCurrentAfterABlock() {
        EXPECT_EQ(VekReadIdentification(), 1);
        return VekGetVekStruct()->ErrorsCurrent;
    }

    vekgov::InProcessHost host_;
};

class ActualErrorsSimExtended : public ActualErrorsSim {
protected:
    ActualErrorsSimExtended() : ActualErrorsSim("default") {}
};

class ActualErrorsSimBasic : public ActualErrorsSim {
protected:
    ActualErrorsSimBasic() : ActualErrorsSim("hw5") {}
};

TEST_F(ActualErrorsSimExtended, ChangesFlagEveryBlockUntilRead) {
    EXPECT_EQ(ErrorsCurrentAfterABlock(), 1);
    vekgov::RaiseError(Model(), 3105, 2);
    EXPECT_EQ(ErrorsCurrentAfterABlock(), 0);
    EXPECT_EQ(ErrorsCurrentAfterABlock(), 0);

    ASSERT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3105, 2}}));
    EXPECT_EQ(VekGetParDef(3105)->RawValue, 2);
    EXPECT_EQ(ErrorsCurrentAfterABlock(), 1);

    vekgov::ClearError(Model(), 3105);
    EXPECT_EQ(ErrorsCurrentAfterABlock(), 0);
    ASSERT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(PendingList(), std::vector<Pending>{});
    EXPECT_EQ(VekGetParDef(3105)->RawValue, 0);
}

TEST_F(ActualErrorsSimBasic, BasicGovernorKeepsTheOldValue) {
    vekgov::RaiseError(Model(), 3105, 1);
    ASSERT_EQ(VekReadActualErrors(), 1);
    vekgov::RaiseError(Model(), 3105, 3);
    ASSERT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3105, 1}}));
    EXPECT_EQ(VekGetParDef(3105)->RawValue, 3);
}

TEST_F(ActualErrorsSimExtended, CycleRaisesAndClearsOverTimeAndTellsObservers) {
    std::vector<vekgov::RaisedError> raised;
    Model().actualErrors.observers.push_back([&raised](const vekgov::RaisedError& e) { raised.push_back(e); });
    vekgov::UseBuiltInErrorCycle(Model().actualErrors);

    Model().clock.Advance(20000);
    ASSERT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3107, 1}}));
    Model().clock.Advance(40000);  // 60 s: the supply is back, the CAN time-out came
    ASSERT_EQ(VekReadActualErrors(), 1);
    EXPECT_EQ(PendingList(), (std::vector<Pending>{{3110, 1}}));
    EXPECT_EQ(VekGetParDef(3107)->RawValue, 0);
    ASSERT_EQ(raised.size(), 2u);
    EXPECT_EQ(raised[0].number, 3107u);
    EXPECT_EQ(raised[0].atMs, 15000u);
    EXPECT_EQ(raised[1].number, 3110u);
    EXPECT_EQ(raised[1].atMs, 40000u);
}

}  // namespace

// --- vek errors ------------------------------------------------------------

namespace {

class ErrorsTool : public vektest::ToolTest {};

TEST_F(ErrorsTool, ListsThePendingErrorsByName) {
    // The built-in governor starts with its CAN time-out present.
    const vektest::ToolRun run = vektest::RunTool("errors");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string table =
        "1 pending error\n"
        "  Number  Name                           State Old value\n"
        "    3110  ErrCanTimeout                      1         1\n";
    ASSERT_GE(run.output.size(), table.size()) << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - table.size()), table) << run.output;
}

TEST_F(ErrorsTool, RefusesUnknownArguments) {
    const vektest::ToolRun run = vektest::RunTool("errors --bogus 1");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, "vek: The following arguments were not expected: 1 --bogus (see vek errors --help)\n");
}

}  // namespace
