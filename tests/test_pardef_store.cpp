// The definition store: lookups, adding, the index order, the clash report,
// clearing, backup and restore, real limits and the walks by kind.
#include "VekLib.h"
#include "pardef/ParDefStore.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::u16string> importantErrors;

int32_t VEK_CALL RecordImportantError(void*, const VekChar* text) {
    importantErrors.emplace_back(reinterpret_cast<const char16_t*>(text));
    return 0;
}

// A translation that makes every text 300 characters long.
void VEK_CALL TranslateToLongText(void*, const VekChar*, VekChar* out) {
    for (int i = 0; i < 300; ++i) out[i] = u'x';
    out[300] = 0;
}

void SetName(ParDef* def, const char16_t* name) {
    std::memcpy(def->Name, name, (std::char_traits<char16_t>::length(name) + 1) * sizeof(char16_t));
}

std::vector<uint32_t> IndexOrder() {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) ids.push_back(+VekGetParDefByIndex(i)->Id);
    return ids;
}

class ParDefStore : public ::testing::Test {
protected:
    void SetUp() override {
        VekClearParDefs();
        importantErrors.clear();
        VekSetCallback(VEK_CALLBACK_IMPORTANT_ERROR, reinterpret_cast<VekCallback>(RecordImportantError));
        VekSetCallback(VEK_CALLBACK_TRANSLATE, nullptr);
    }
};

TEST_F(ParDefStore, EmptyStoreFindsNothing) {
    EXPECT_EQ(VekGetParDefNum(), 0u);
    EXPECT_EQ(VekGetParDefByIndex(0), nullptr);
    EXPECT_EQ(VekGetParDef(0), nullptr);
    EXPECT_EQ(VekExistsParDef(0), 0);
    EXPECT_EQ(vek::LastParDefId(), 0u);
}

TEST_F(ParDefStore, AddCreatesZeroedRecordOnceAndAppendsToIndex) {
    ParDef* def = VekAddParDef(4711);
    ASSERT_NE(def, nullptr);
    ParDef expected{};
    expected.Id = 4711;
    EXPECT_EQ(std::memcmp(def, &expected, sizeof(ParDef)), 0);

    def->RawValue = 99;
    EXPECT_EQ(VekAddParDef(4711), def);  // the existing record, unchanged
    EXPECT_EQ(def->RawValue, 99);
    EXPECT_EQ(VekGetParDefNum(), 1u);
    EXPECT_TRUE(importantErrors.empty());

    VekAddParDef(12);
    EXPECT_EQ(VekGetParDefNum(), 2u);
    EXPECT_EQ(VekGetParDefByIndex(0), def);
    EXPECT_EQ(+VekGetParDefByIndex(1)->Id, 12u);
    EXPECT_EQ(VekGetParDefByIndex(2), nullptr);  // the position VekGetParDefNum returns
    EXPECT_EQ(VekExistsParDef(12), 1);
    EXPECT_EQ(VekGetParDef(12), VekGetParDefByIndex(1));
}

TEST_F(ParDefStore, RecordsNeverMoveWhileTheStoreGrows) {
    ParDef* first = VekAddParDef(1);
    SetName(first, u"First");
    for (uint32_t id = 2; id <= 200000; ++id) VekAddParDef(id);
    EXPECT_EQ(VekGetParDef(1), first);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(first->Name)), u"First");
    EXPECT_EQ(+VekGetParDef(200000)->Id, 200000u);
}

TEST_F(ParDefStore, ValidateSortsUnsignedAndLaterAddsStandLast) {
    for (uint32_t id : {300u, 0x80000000u, 5u, 20000u}) VekAddParDef(id);
    EXPECT_EQ(vek::LastParDefId(), 20000u);  // creation order until sorted

    VekValidateAllParDefs();
    EXPECT_EQ(IndexOrder(), (std::vector<uint32_t>{5, 300, 20000, 0x80000000u}));
    EXPECT_EQ(vek::LastParDefId(), 0x80000000u);

    VekAddParDef(1);
    EXPECT_EQ(IndexOrder(), (std::vector<uint32_t>{5, 300, 20000, 0x80000000u, 1}));
    EXPECT_EQ(vek::LastParDefId(), 1u);
    VekValidateAllParDefs();
    EXPECT_EQ(IndexOrder().front(), 1u);
}

TEST_F(ParDefStore, ValidateChangesNoRecord) {
    ParDef* def = VekAddParDef(7);
    def->Min = -150;
    def->Max = 3000;
    def->Format = 0x20;
    VekValidateAllParDefs();
    EXPECT_EQ(+def->RealMin, 0.0);
    EXPECT_EQ(+def->RealMax, 0.0);
}

TEST_F(ParDefStore, SecondDefinitionOfANumberIsReportedAndRefused) {
    ParDef* first = vek::AddNewParDef(7);
    ASSERT_NE(first, nullptr);
    SetName(first, u"Speed");
    first->Max = 100;

    EXPECT_EQ(vek::AddNewParDef(7), nullptr);
    ASSERT_EQ(importantErrors.size(), 1u);
    EXPECT_EQ(importantErrors[0], u"Parameter 7 already exists (Speed)");
    EXPECT_EQ(VekGetParDef(7), first);
    EXPECT_EQ(+first->Max, 100);
    EXPECT_EQ(VekGetParDefNum(), 1u);

    // The number is shown as a signed decimal number.
    vek::AddNewParDef(0xFFFFFFFFu);
    EXPECT_EQ(vek::AddNewParDef(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(importantErrors.back(), u"Parameter -1 already exists ()");
}

TEST_F(ParDefStore, ClashMessageIsTranslatedAndCutTo255Characters) {
    vek::AddNewParDef(3);
    VekSetCallback(VEK_CALLBACK_TRANSLATE, reinterpret_cast<VekCallback>(TranslateToLongText));
    EXPECT_EQ(vek::AddNewParDef(3), nullptr);
    ASSERT_EQ(importantErrors.size(), 1u);
    EXPECT_EQ(importantErrors[0], std::u16string(255, u'x'));
}

TEST_F(ParDefStore, ClearEmptiesEverythingAndKeepsTheBuckets) {
    VekAddParDef(1)->RawValue = 10;
    VekAddParDef(2);
    VekBackupParDefs();
    VekClearParDefs();

    EXPECT_EQ(VekGetParDefNum(), 0u);
    EXPECT_EQ(VekGetParDef(1), nullptr);
    EXPECT_EQ(VekGetParDefByIndex(0), nullptr);
    EXPECT_GE(vek::ParDefs().byId.bucket_count(), vek::kMinParDefBuckets);

    // The saved values went with the records.
    ParDef* again = VekAddParDef(1);
    VekRestoreParDefs();
    EXPECT_EQ(again->RawValue, 0);
}

TEST_F(ParDefStore, RestoreBringsBackTheValuesOfTheBackupOnce) {
    for (uint32_t id : {30u, 10u, 20u}) VekAddParDef(id)->RawValue = static_cast<uint16_t>(id);
    VekBackupParDefs();
    for (uint32_t id : {30u, 10u, 20u}) VekGetParDef(id)->RawValue = 0xFFFF;
    VekAddParDef(40)->RawValue = 0x1234;  // added after the backup: not touched

    VekRestoreParDefs();
    for (uint32_t id : {30u, 10u, 20u}) EXPECT_EQ(VekGetParDef(id)->RawValue, id);
    EXPECT_EQ(VekGetParDef(40)->RawValue, 0x1234);
    EXPECT_EQ(IndexOrder(), (std::vector<uint32_t>{30, 10, 20, 40}));

    // The saved values are gone: a second restore changes nothing.
    VekGetParDef(10)->RawValue = 5;
    VekRestoreParDefs();
    EXPECT_EQ(VekGetParDef(10)->RawValue, 5);
}

TEST_F(ParDefStore, SecondBackupReplacesTheFirst) {
    ParDef* def = VekAddParDef(1);
    def->RawValue = 1;
    VekBackupParDefs();
    def->RawValue = 2;
    VekBackupParDefs();
    def->RawValue = 3;
    VekRestoreParDefs();
    EXPECT_EQ(def->RawValue, 2);
}

TEST_F(ParDefStore, RestoreWithoutBackupChangesNothing) {
    VekAddParDef(1)->RawValue = 77;
    VekRestoreParDefs();
    EXPECT_EQ(VekGetParDef(1)->RawValue, 77);
}

TEST_F(ParDefStore, RealLimitsDivideByTheDecimals) {
    ParDef* twoDecimals = VekAddParDef(1);
    twoDecimals->Format = 0x20;
    twoDecimals->Min = -150;
    twoDecimals->Max = 3000;
    ParDef* sevenDecimals = VekAddParDef(2);
    sevenDecimals->Format = 0xF8;  // bit 7 and bit 3 do not count
    sevenDecimals->Min = 0;
    sevenDecimals->Max = 65535;
    ParDef* rangeCode = VekAddParDef(3);
    rangeCode->IntCode = 250;  // the limits are the range parameters' numbers
    rangeCode->Min = 1500;
    rangeCode->Max = 1501;

    vek::ComputeRealLimits();
    EXPECT_EQ(+twoDecimals->RealMin, -1.5);
    EXPECT_EQ(+twoDecimals->RealMax, 30.0);
    EXPECT_EQ(+sevenDecimals->RealMax, 65535 / 1e7);
    EXPECT_EQ(+rangeCode->RealMin, 1500.0);
    EXPECT_EQ(+rangeCode->RealMax, 1501.0);
}

TEST_F(ParDefStore, DefinedIdsOfAKindAscendAcrossPages) {
    for (uint32_t id : {10001u, 1999u, 2000u, 5999u, 6000u, 19999u, 0u, 13999u, 4000u}) VekAddParDef(id);
    using vek::ParKind;
    EXPECT_EQ(vek::DefinedIdsOfKind(ParKind::Parameter), (std::vector<uint32_t>{0, 1999, 10001}));
    EXPECT_EQ(vek::DefinedIdsOfKind(ParKind::Measurement), (std::vector<uint32_t>{2000, 13999}));
    EXPECT_EQ(vek::DefinedIdsOfKind(ParKind::Function), (std::vector<uint32_t>{4000, 5999}));
    EXPECT_EQ(vek::DefinedIdsOfKind(ParKind::Curve), (std::vector<uint32_t>{6000, 19999}));
}

}  // namespace
