// The error memory against the simulated governor: what the library reads
// is what each profile's governor holds, also after errors were raised over
// time, acknowledged, erased (or not) and recorded with other arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ActualErrors.hpp"
#include "ErrorMemory.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"
#include "Values.hpp"
#include "VekLib.h"
#include "support/LogCapture.hpp"

namespace {

using vekgov::ErrorMemoryRecord;
using vekgov::GovernorModel;

constexpr uint64_t kPastBothCycleRaisesMs = 45000;  // the cycle raises 3107 at 15 s and 3110 at 40 s

// Every field of an entry in order, for comparisons with readable failures.
std::vector<uint32_t> Fields(const ErrorEntry& e) {
    std::vector<uint32_t> fields = {e.Id, e.Time1, e.Time2, e.Count, e.Word1, e.Word2};
    for (uint16_t a : e.Args) fields.push_back(a);
    fields.push_back(e.Word3);
    fields.push_back(e.Word4);
    for (uint16_t a : e.Args2) fields.push_back(a);
    return fields;
}

// The entry a record makes: the fields that its format and variant carry.
ErrorEntry EntryOf(const GovernorModel& model, const ErrorMemoryRecord& r) {
    const uint16_t format = model.errorMemory.format;
    ErrorEntry e{};
    e.Id = r.number;
    e.Time1 = r.firstSeconds;
    e.Time2 = r.lastSeconds;
    e.Count = r.count;
    if (format != vekgov::record_format::Times) {
        e.Word1 = r.lastState;
        if (vekgov::UsesVariant(model.profile)) e.Word2 = r.flags;
    }
    for (size_t i = 0; i < r.args.size() && i < 16; ++i) e.Args[i] = r.args[i];
    if (format == vekgov::record_format::TwoArgSets) {
        e.Word3 = r.firstState;
        e.Word4 = r.worstState;
        for (size_t i = 0; i < r.lastArgs.size() && i < 16; ++i) e.Args2[i] = r.lastArgs[i];
    }
    return e;
}

std::vector<std::vector<uint32_t>> ReadEntries() {
    std::vector<std::vector<uint32_t>> entries;
    for (uint32_t i = 0; i < VekGetErrorEntriesNum(); ++i)
        entries.push_back(Fields(*VekGetErrorEntryByIndex(i)));
    return entries;
}

// What the library must list: the records in the governor's order, or for a
// basic governor one bare entry per recorded error in ascending order.
std::vector<std::vector<uint32_t>> HeldEntries(const GovernorModel& model) {
    std::vector<std::vector<uint32_t>> entries;
    if (vekgov::HasRecordMemory(model.profile)) {
        for (const ErrorMemoryRecord& record : model.errorMemory.records)
            entries.push_back(Fields(EntryOf(model, record)));
        return entries;
    }
    std::vector<uint32_t> numbers;
    for (const ErrorMemoryRecord& record : model.errorMemory.records) numbers.push_back(record.number);
    std::sort(numbers.begin(), numbers.end());
    for (uint32_t number : numbers) {
        ErrorEntry e{};
        e.Id = number;
        entries.push_back(Fields(e));
    }
    return entries;
}

class ErrorMemorySim : public ::testing::TestWithParam<const char*> {
protected:
    explicit ErrorMemorySim(const char* profile = nullptr)
        : host_(*vekgov::FindProfile(profile ? profile : GetParam())) {}

    void SetUp() override {
        ASSERT_EQ(VekInit(), 1);
        ASSERT_EQ(VekReadAllParDef(), 1);
    }
    GovernorModel& Model() { return host_.Model(); }

    vekgov::InProcessHost host_;
};

TEST_P(ErrorMemorySim, ListsTheRecordsTheGovernorHolds) {
    ASSERT_EQ(VekReadErrorMemory(), 1);
    EXPECT_EQ(ReadEntries(), HeldEntries(Model()));
}

TEST_P(ErrorMemorySim, RecordsTheErrorsRaisedOverTime) {
    const size_t before = Model().errorMemory.records.size();
    vekgov::WriteValue(Model(), 2000, 1512);  // the speed at the time of the errors
    vekgov::UseBuiltInErrorCycle(Model().actualErrors);
    Model().clock.Advance(kPastBothCycleRaisesMs);
    ASSERT_EQ(VekReadErrorMemory(), 1);

    const auto& records = Model().errorMemory.records;
    if (VekGetParDef(3107)) {
        ASSERT_EQ(records.size(), before + 2);
        const ErrorMemoryRecord& supplyLow = records[before];
        EXPECT_EQ(supplyLow.number, 3107);
        EXPECT_EQ(supplyLow.firstSeconds, Model().errorMemory.operatingSeconds + 15);
        EXPECT_EQ(supplyLow.count, 1);
        EXPECT_EQ(supplyLow.args.at(0), 1512);
    }
    EXPECT_EQ(ReadEntries(), HeldEntries(Model()));
}

INSTANTIATE_TEST_SUITE_P(Profiles, ErrorMemorySim,
                         ::testing::Values("default", "hw4", "hw5", "hw21", "plain", "wide", "enhanced"));

class ErrorMemorySimDefault : public ErrorMemorySim {
protected:
    ErrorMemorySimDefault() : ErrorMemorySim("default") {}
};

TEST_F(ErrorMemorySimDefault, RepeatedErrorCountsUpAndStampsTheSecondTime) {
    vekgov::RaiseError(Model(), 3102, 1);
    Model().clock.Advance(61000);
    vekgov::ClearError(Model(), 3102);
    vekgov::RaiseError(Model(), 3102, 2);
    ASSERT_EQ(VekReadErrorMemory(), 1);
    const ErrorEntry* overspeed = VekGetErrorEntryByIndex(0);
    ASSERT_NE(overspeed, nullptr);
    EXPECT_EQ(+overspeed->Id, 3102u);
    EXPECT_EQ(overspeed->Count, 5);  // three before
    EXPECT_EQ(+overspeed->Time2, Model().errorMemory.operatingSeconds + 61);
    EXPECT_EQ(overspeed->Word1, 2);
    EXPECT_EQ(ReadEntries(), HeldEntries(Model()));
}

TEST_F(ErrorMemorySimDefault, AcknowledgeTakesTheNumberAndTheCountSeen) {
    vektest::LogCapture log;
    EXPECT_EQ(VekAcknowledgeErrorMemoryItem(3102, 2), 0);  // it came a third time
    EXPECT_TRUE(log.Contains("Failed to acknowledge the error"));
    EXPECT_EQ(VekAcknowledgeErrorMemoryItem(3102, 3), 1);
    ASSERT_EQ(VekReadErrorMemory(), 1);
    EXPECT_EQ(VekGetErrorEntryByIndex(0)->Word2, vekgov::record_flag::Acknowledged);
    EXPECT_EQ(ReadEntries(), HeldEntries(Model()));
}

TEST_F(ErrorMemorySimDefault, EraseEmptiesTheMemory) {
    ASSERT_EQ(VekEraseErrorMemory(), 1);
    EXPECT_TRUE(Model().errorMemory.records.empty());
    ASSERT_EQ(VekReadErrorMemory(), 1);
    EXPECT_EQ(VekGetErrorEntriesNum(), 0u);
}

TEST_F(ErrorMemorySimDefault, EraseFailuresKeepTheRecordsAndNameTheCode) {
    using vekgov::EraseOutcome;
    struct Case {
        uint16_t code;
        EraseOutcome outcome;
        const char* line;
    };
    const Case cases[] = {
        {vekgov::erase_code::SupplyTooLow, EraseOutcome::Silent,
         "Failed to erase the error table: Power supply voltage to low to access EEPROM"},
        {vekgov::erase_code::EepromAccess, EraseOutcome::Refused,
         "Failed to erase the error table: Error during access to EEPROM"},
        {vekgov::erase_code::NotAvailableNow, EraseOutcome::Refused,
         "Failed to erase the error table: Delete of error memory temporarly not available"},
    };
    const size_t held = Model().errorMemory.records.size();
    for (const Case& c : cases) {
        vektest::LogCapture log;
        Model().errorMemory.eraseFault = vekgov::EraseFault{c.code, c.outcome};
        EXPECT_EQ(VekEraseErrorMemory(), 0);
        EXPECT_EQ(log.Lines(), (std::vector<std::string>{c.line}));
        EXPECT_EQ(Model().errorMemory.records.size(), held);
    }
    Model().errorMemory.eraseFault =
        vekgov::EraseFault{vekgov::erase_code::NotAvailableNow, EraseOutcome::ErasedAfterAll};
    EXPECT_EQ(VekEraseErrorMemory(), 1);
    EXPECT_TRUE(Model().errorMemory.records.empty());
}

class ErrorMemorySimWide : public ErrorMemorySim {
protected:
    ErrorMemorySimWide() : ErrorMemorySim("wide") {}
};

TEST_F(ErrorMemorySimWide, NewArgumentsChangeTheConfigurationAndTheRecords) {
    const int32_t ids[] = {2008, 2000};
    ASSERT_EQ(VekConfigureErrorMemoryArgs(2, ids), 1);
    ASSERT_EQ(VekReadErrorMemory(), 1);
    const VekStruct& device = *VekGetVekStruct();
    EXPECT_EQ(+device.ErrorMemoryFormat, 3);
    EXPECT_EQ(+device.ErrorArgCount, 2);
    EXPECT_EQ(+device.ErrorArgIds[0], 2008u);
    EXPECT_EQ(+device.ErrorArgIds[1], 2000u);
    EXPECT_EQ(+device.ErrorArgIds[2], 0u);
    const ErrorEntry* overspeed = VekGetErrorEntryByIndex(0);
    ASSERT_NE(overspeed, nullptr);
    EXPECT_EQ(overspeed->Args[0], 245);   // supply voltage, kept from before
    EXPECT_EQ(overspeed->Args[1], 2250);  // speed
    EXPECT_EQ(overspeed->Args[2], 0);
    EXPECT_EQ(ReadEntries(), HeldEntries(Model()));
}

TEST(ErrorMemorySimBootLoader, RecordsCannotBeReadInTheBootLoader) {
    vekgov::InProcessHost host(*vekgov::FindProfile("bootloader"));
    ASSERT_EQ(VekInit(), 1);
    EXPECT_EQ(VekReadErrorMemory(), 0);
    EXPECT_EQ(VekGetErrorEntriesNum(), 0u);
}

}  // namespace
