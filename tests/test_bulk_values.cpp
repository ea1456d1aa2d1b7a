// Group transfers: the pairing of values with the ascending defined numbers,
// the blocks on the line, the result codes of the reads, the splitting of
// writes by TransferBlockSize, and the status and progress texts.
#include "VekLib.h"
#include "core/State.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/ValueDefinitions.hpp"

#include "DefinitionBlocks.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"
#include "Values.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vektest;

std::vector<std::u16string> statusTexts;
std::vector<std::u16string> progressTexts;

void VEK_CALL RecordStatus(void*, const VekChar* text) { statusTexts.push_back(ToText(text)); }
void VEK_CALL RecordProgress(void*, const VekChar* text, uint16_t value) {
    EXPECT_EQ(value, 0);
    progressTexts.push_back(ToText(text));
}
void VEK_CALL TranslateParameterDownload(void*, const VekChar* text, VekChar* out) {
    if (ToText(text) == u"Downloading parameters values...") {
        std::memcpy(out, u"Parameter laden", sizeof(u"Parameter laden"));
    }
}

// A write that fails for one lone command byte, passing everything else on.
int32_t(VEK_CALL* scriptedWrite)(SerialStream*, const uint8_t*, int32_t) = nullptr;
uint8_t refusedCommand = 0;
int32_t VEK_CALL RefusingWrite(SerialStream* s, const uint8_t* data, int32_t count) {
    if (count == 1 && data[0] == refusedCommand) return 0;
    return scriptedWrite(s, data, count);
}

Bytes Values(uint16_t first, std::size_t count) {
    Bytes bytes;
    for (std::size_t i = 0; i < count; ++i) {
        const uint16_t value = static_cast<uint16_t>(first + i);
        bytes.push_back(static_cast<uint8_t>(value));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    return bytes;
}

// Defines count numbers of the group starting at first, with values first, first + 1, ...
void DefineMany(uint32_t first, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        Define(static_cast<uint32_t>(first + i))->RawValue = static_cast<uint16_t>(first + i);
    }
}

class BulkValues : public ::testing::Test {
protected:
    void SetUp() override {
        ResetValueState();
        statusTexts.clear();
        progressTexts.clear();
        VekSetCallback(VEK_CALLBACK_STATUS, reinterpret_cast<VekCallback>(RecordStatus));
        VekSetCallback(VEK_CALLBACK_PROGRESS, reinterpret_cast<VekCallback>(RecordProgress));
    }
    void RefuseCommand(uint8_t command) {
        scriptedWrite = VekGetStream()->Write;
        refusedCommand = command;
        VekGetStream()->Write = RefusingWrite;
    }
    uint16_t Raw(uint32_t id) { return VekGetParDef(id)->RawValue; }
    void ExpectScriptDone() {
        EXPECT_TRUE(line.Complete());
        EXPECT_TRUE(line.Mismatches().empty()) << line.Mismatches().front();
    }

    LogCapture log;
    ScriptedStream line;
};

// ---------------------------------------------------------------------------
// Reads

TEST_F(BulkValues, ReadPairsValuesWithTheAscendingDefinedNumbers) {
    for (uint32_t id : {10001u, 5u, 2000u, 1u, 0u}) Define(id);
    VekValidateAllParDefs();
    VekSetCallback(VEK_CALLBACK_TRANSLATE, reinterpret_cast<VekCallback>(TranslateParameterDownload));
    line.Expect({0x47}).ReplyBlock(Values(0x1111, 4));
    line.Expect({0x47}).ReplyBlock({});
    EXPECT_EQ(VekReadParameterValues(), 0);
    ExpectScriptDone();
    EXPECT_EQ(Raw(0), 0x1111);
    EXPECT_EQ(Raw(1), 0x1112);
    EXPECT_EQ(Raw(5), 0x1113);
    EXPECT_EQ(Raw(10001), 0x1114);
    EXPECT_EQ(Raw(2000), 0);  // a measurement
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Reading parameter values..."});
    EXPECT_EQ(statusTexts, std::vector<std::u16string>{u"Parameter laden"});
    EXPECT_EQ(progressTexts, (std::vector<std::u16string>{u"Parameter laden (0 parameters loaded)",
                                                          u"Parameter laden (4 parameters loaded)"}));
}

TEST_F(BulkValues, ReadOfMoreValuesThanDefinedNumbersKeepsThoseStored) {
    for (uint32_t id : {0u, 1u, 5u, 10001u}) Define(id);
    line.Expect({0x47}).ReplyBlock(Values(0x1111, 5));
    EXPECT_EQ(VekReadParameterValues(), 1);
    ExpectScriptDone();
    EXPECT_EQ(Raw(0), 0x1111);
    EXPECT_EQ(Raw(10001), 0x1114);
    EXPECT_TRUE(log.Contains("VekReadAbstractValues: failed to retrieve next id"));
}

TEST_F(BulkValues, GroupWithoutDefinedNumbersStillAsksOnce) {
    Define(1);
    line.Expect({0x48}).ReplyBlock({});
    EXPECT_EQ(VekReadMeasurementValues(), 0);
    ExpectScriptDone();
    EXPECT_EQ(statusTexts, std::vector<std::u16string>{u"Downloading measures values..."});
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Reading measurement values..."});
}

TEST_F(BulkValues, ProgressCountsTheValuesLoadedSoFar) {
    DefineMany(0, 100);
    line.Expect({0x47}).ReplyBlock(Values(0, 61));
    line.Expect({0x47}).ReplyBlock(Values(61, 39));
    line.Expect({0x47}).ReplyBlock({});
    EXPECT_EQ(VekReadParameterValues(), 0);
    ExpectScriptDone();
    EXPECT_EQ(progressTexts, (std::vector<std::u16string>{
                                 u"Downloading parameters values... (0 parameters loaded)",
                                 u"Downloading parameters values... (61 parameters loaded)",
                                 u"Downloading parameters values... (100 parameters loaded)",
                             }));
}

TEST_F(BulkValues, ReadAcceptsBlocksUpToTheBufferOnly) {
    DefineMany(4000, 1100);  // functions
    line.Expect({0x49}).ReplyBlock(Values(7, 1002));
    line.Expect({0x49}).ReplyBlock(Values(7, 1003));
    EXPECT_EQ(VekReadFunctionValues(), 3);
    EXPECT_EQ(Raw(4000), 7);
    EXPECT_EQ(Raw(5001), 1008);
    EXPECT_EQ(Raw(5002), 5002);  // the oversized block stored nothing
}

TEST_F(BulkValues, ReadWithWrongChecksumOrMissingBlockFails) {
    DefineMany(6000, 3);  // curves
    Bytes damaged = ScriptedStream::Block(Values(9, 3));
    damaged.back() ^= 0x01;
    line.Expect({0x4A}).Reply(damaged);
    EXPECT_EQ(VekReadCurveValues(), 3);
    EXPECT_EQ(Raw(6000), 6000);

    line.Expect({0x4A});
    EXPECT_EQ(VekReadCurveValues(), 3);

    RefuseCommand(0x4A);
    EXPECT_EQ(VekReadCurveValues(), 2);
}

TEST_F(BulkValues, ReadAllRunsEveryGroupAndOrsTheResults) {
    line.Expect({0x47}).ReplyBlock({});
    line.Expect({0x48}).ReplyBlock({});
    line.Expect({0x49}).ReplyBlock({});
    line.Expect({0x4A}).Reply({0x02});  // half a length word
    EXPECT_EQ(VekReadAllValues(), 3);
    ExpectScriptDone();
    EXPECT_EQ(statusTexts.back(), u"Values download failed");

    RefuseCommand(0x48);
    line.Expect({0x47}).ReplyBlock({});
    line.Expect({0x49}).Reply({0x05, 0x00});  // a length without its data
    line.Expect({0x4A}).ReplyBlock({});
    EXPECT_EQ(VekReadAllValues(), 2 | 3);
    ExpectScriptDone();  // the curves were read after both failures
}

TEST_F(BulkValues, ReadAllReportsDoneOnSuccess) {
    for (uint8_t command : {0x47, 0x48, 0x49, 0x4A}) line.Expect({command}).ReplyBlock({});
    EXPECT_EQ(VekReadAllValues(), 0);
    ExpectScriptDone();
    EXPECT_EQ(statusTexts, (std::vector<std::u16string>{u"Downloading parameters values...",
                                                        u"Downloading measures values...",
                                                        u"Downloading functions values...",
                                                        u"Downloading curves values...", u"Done"}));
}

// ---------------------------------------------------------------------------
// Writes

TEST_F(BulkValues, WriteSplitsIntoBlocksOfTransferBlockSize) {
    DefineMany(0, 100);
    line.Expect({0x4C}).Expect(ScriptedStream::Block(Values(0, 61))).ReplyWord(0);
    line.Expect({0x4C}).Expect(ScriptedStream::Block(Values(61, 39))).ReplyWord(0x8000);
    EXPECT_EQ(VekWriteAllValues(), 1);
    ExpectScriptDone();
    // Each group pushes the long time-out and restores the old one.
    EXPECT_EQ(line.Timeouts(), (std::vector<int32_t>{3000, 1200, 3000, 1200, 3000, 1200}));
    EXPECT_EQ(statusTexts, (std::vector<std::u16string>{u"Uploading parameters values...",
                                                        u"Uploading functions values...",
                                                        u"Uploading curves values...", u"Done"}));
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(BulkValues, WriteWalksParametersFunctionsAndCurvesInTurn) {
    for (uint32_t id : {6001u, 4000u, 2001u, 10000u, 3u}) Define(id)->RawValue = static_cast<uint16_t>(id);
    VekValidateAllParDefs();
    line.Expect({0x4C}).Expect(ScriptedStream::Block({0x03, 0x00, 0x10, 0x27})).ReplyWord(0);
    line.Expect({0x4E}).Expect(ScriptedStream::Block({0xA0, 0x0F})).ReplyWord(0);
    line.Expect({0x4F}).Expect(ScriptedStream::Block({0x71, 0x17})).ReplyWord(0);
    EXPECT_EQ(VekWriteAllValues(), 1);
    ExpectScriptDone();
}

TEST_F(BulkValues, BlockSizeLimitsAreOneValueAndTheWriteBuffer) {
    DefineMany(0, 300);
    vek::Core().transferBlockSize = 528;
    line.Expect({0x4C}).Expect(ScriptedStream::Block(Values(0, 261))).ReplyWord(0);
    line.Expect({0x4C}).Expect(ScriptedStream::Block(Values(261, 39))).ReplyWord(0);
    EXPECT_EQ(VekWriteAllValues(), 1);
    ExpectScriptDone();

    VekClearParDefs();
    DefineMany(0, 2);
    vek::Core().transferBlockSize = 7;
    line.Expect({0x4C}).Expect(ScriptedStream::Block(Values(0, 1))).ReplyWord(0);
    line.Expect({0x4C}).Expect(ScriptedStream::Block(Values(1, 1))).ReplyWord(0);
    EXPECT_EQ(VekWriteAllValues(), 1);
    ExpectScriptDone();
}

TEST_F(BulkValues, UnusableBlockSizeIsRefusedBeforeAnythingIsSent) {
    DefineMany(0, 2);
    for (uint16_t size : {0, 6, 529}) {
        statusTexts.clear();
        vek::Core().transferBlockSize = size;
        EXPECT_EQ(VekWriteAllValues(), 0);
        EXPECT_EQ(statusTexts.back(), u"Values upload failed");
        EXPECT_EQ(log.Lines().back(),
                  "Cannot write values in blocks of " + std::to_string(size) + " bytes (7 to 528 bytes allowed)");
    }
    EXPECT_TRUE(line.Written().empty());
}

TEST_F(BulkValues, RefusedBlockStopsTheWriteWithEarlierBlocksSent) {
    DefineMany(0, 100);
    DefineMany(4000, 1);
    line.Expect({0x4C}).Expect(ScriptedStream::Block(Values(0, 61))).ReplyWord(0);
    line.Expect({0x4C}).Expect(ScriptedStream::Block(Values(61, 39))).ReplyWord(0x0002);
    EXPECT_EQ(VekWriteAllValues(), 0);
    ExpectScriptDone();  // no function block after the failure
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Failed to send block of values"});
    EXPECT_EQ(statusTexts, (std::vector<std::u16string>{u"Uploading parameters values...", u"Values upload failed"}));
    EXPECT_EQ(line.Timeouts(), (std::vector<int32_t>{3000, 1200}));  // restored on failure too

    RefuseCommand(0x4C);
    EXPECT_EQ(VekWriteAllValues(), 0);
}

TEST_F(BulkValues, WriteWithoutDirectSetSendsNothingAndSucceeds) {
    DefineMany(0, 10);
    VekDirectSet(0);
    EXPECT_EQ(VekWriteAllValues(), 1);
    EXPECT_TRUE(line.Written().empty());
    EXPECT_TRUE(line.Timeouts().empty());
    EXPECT_EQ(statusTexts, (std::vector<std::u16string>{u"Uploading parameters values...",
                                                        u"Uploading functions values...",
                                                        u"Uploading curves values...", u"Done"}));
}

// ---------------------------------------------------------------------------
// Against the simulated governor

// A value of its own for every number, so that a shifted pairing shows.
uint16_t Distinct(uint32_t number, uint16_t salt) { return static_cast<uint16_t>(number * 37u + salt); }

class SimulatedValues : public ::testing::Test {
protected:
    void SetUp() override { ResetValueState(); }
    void Connect(vekgov::DeviceProfile profile) {
        host_ = std::make_unique<vekgov::InProcessHost>(std::move(profile));
        ASSERT_EQ(VekInit(), 1);
        ASSERT_EQ(VekReadAllParDef(), 1);
    }
    vekgov::GovernorModel& Model() { return host_->Model(); }
    std::vector<uint32_t> Numbers() { return vekgov::DefinedNumbers(Model().profile); }
    uint16_t GovernorValue(uint32_t number) { return vekgov::ReadValue(Model(), number).value(); }
    static bool IsMeasurement(uint32_t number) { return number % 10000 >= 2000 && number % 10000 < 4000; }

    // The default governor with count more parameters from number 10000 on.
    static vekgov::DeviceProfile DefaultWithParameters(uint32_t count) {
        vekgov::DeviceProfile profile = *vekgov::FindProfile("default");
        std::vector<vekgov::Definition> definitions = profile.definitions;
        for (uint32_t i = 0; i < count; ++i) definitions.push_back({10000 + i, "Extra", 0, 100, "", 1, 0, 0, {}});
        std::string error;
        EXPECT_TRUE(vekgov::AttachDefinitions(profile, definitions, error)) << error;
        return profile;
    }

    LogCapture log_;
    std::unique_ptr<vekgov::InProcessHost> host_;
};

// Each profile announces its own block size (hw4: 64 bytes, 29 values a block).
class SimulatedRoundTrip : public SimulatedValues, public ::testing::WithParamInterface<const char*> {};

TEST_P(SimulatedRoundTrip, ReadAllThenWriteAllLeavesTheGovernorsValuesAsTheyWere) {
    Connect(*vekgov::FindProfile(GetParam()));
    ASSERT_GT(Numbers().size(), 30u);
    for (uint32_t number : Numbers()) vekgov::WriteValue(Model(), number, Distinct(number, 11));
    const std::map<uint32_t, uint16_t> before = Model().values.written;

    ASSERT_EQ(VekReadAllValues(), 0);
    for (uint32_t number : Numbers()) {
        ASSERT_NE(VekGetParDef(number), nullptr) << number;
        EXPECT_EQ(VekGetParDef(number)->RawValue, Distinct(number, 11)) << number;
    }
    ASSERT_EQ(VekWriteAllValues(), 1);
    EXPECT_EQ(Model().values.written, before);
}

INSTANTIATE_TEST_SUITE_P(Profiles, SimulatedRoundTrip, ::testing::Values("default", "hw4", "wide"));

TEST_F(SimulatedValues, WrittenValuesArriveAtTheirNumbers) {
    Connect(DefaultWithParameters(150));  // parameters in several blocks
    for (uint32_t number : Numbers()) vekgov::WriteValue(Model(), number, Distinct(number, 5) ^ 0xFFFF);
    ASSERT_EQ(VekReadAllValues(), 0);
    for (uint32_t number : Numbers()) VekGetParDef(number)->RawValue = Distinct(number, 5);
    ASSERT_EQ(VekWriteAllValues(), 1);
    for (uint32_t number : Numbers()) {
        // Measurements are never written: the governor keeps what it had.
        const uint16_t expected = IsMeasurement(number) ? Distinct(number, 5) ^ 0xFFFF : Distinct(number, 5);
        EXPECT_EQ(GovernorValue(number), expected) << number;
    }
}

TEST_F(SimulatedValues, ReadBlocksUpToTheBufferAreAccepted) {
    vekgov::DeviceProfile profile = DefaultWithParameters(1100);
    profile.valueReadBlockValues = 1002;
    Connect(profile);
    EXPECT_EQ(VekReadParameterValues(), 0);

    Model().profile.valueReadBlockValues = 1003;
    EXPECT_EQ(VekReadParameterValues(), 3);
    EXPECT_TRUE(log_.Contains("Block of 2006 bytes is larger than the buffer of 2004 bytes"));
}

TEST_F(SimulatedValues, InjectedFaultsGiveTheirResults) {
    Connect(*vekgov::FindProfile("default"));
    host_->Engine().Faults().OnCommand(0x4A, vekgov::Fault::WrongChecksum);
    EXPECT_EQ(VekReadAllValues(), 3);
    host_->Engine().Faults().OnCommand(0x48, vekgov::Fault::Silence);
    EXPECT_EQ(VekReadMeasurementValues(), 3);

    host_->Engine().Faults().OnCommand(0x4C, vekgov::Fault::RefusingStatus);
    EXPECT_EQ(VekWriteAllValues(), 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to send block of values");
}

TEST_F(SimulatedValues, GovernorWithMoreNumbersThanTheLibraryKnows) {
    Connect(*vekgov::FindProfile("default"));
    VekClearParDefs();
    Define(0);
    EXPECT_EQ(VekReadParameterValues(), 1);
    EXPECT_TRUE(log_.Contains("VekReadAbstractValues: failed to retrieve next id"));
}

}  // namespace
