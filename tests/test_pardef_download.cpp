// The definition download: the requests on the line, record decoding with
// both number widths and name field lengths, array expansion, clashes, the
// progress reports and log lines, and the failures that end it.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"

#include "DefinitionBlocks.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::ScriptedStream;

const Bytes kRequest = {0x03};

// One record as a governor sends it.
struct WireRecord {
    WireRecord(uint32_t id_, std::string name_, uint16_t min_ = 0, uint16_t max_ = 0, std::string unit_ = "",
               uint8_t intCode_ = 1, uint8_t format_ = 0, uint8_t count_ = 0)
        : id(id_), name(std::move(name_)), min(min_), max(max_), unit(std::move(unit_)), intCode(intCode_),
          format(format_), count(count_) {}
    uint32_t id;
    std::string name;
    uint16_t min;
    uint16_t max;
    std::string unit;
    uint8_t intCode;
    uint8_t format;
    uint8_t count;
};

struct WireLayout {
    std::size_t idBytes = 2;
    std::size_t nameBytes = 20;
};

void Append(Bytes& out, uint32_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendText(Bytes& out, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

Bytes Encode(const std::vector<WireRecord>& records, const WireLayout& layout = {}) {
    Bytes out;
    for (const WireRecord& r : records) {
        Append(out, r.id, layout.idBytes);
        AppendText(out, r.name, layout.nameBytes);
        Append(out, r.min, 2);
        Append(out, r.max, 2);
        AppendText(out, r.unit, 7);
        out.push_back(r.intCode);
        out.push_back(r.format);
        out.push_back(r.count);
    }
    return out;
}

std::u16string Text(const VekChar* text) { return reinterpret_cast<const char16_t*>(text); }

std::vector<uint32_t> IndexOrder() {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) ids.push_back(+VekGetParDefByIndex(i)->Id);
    return ids;
}

struct Progress {
    std::u16string text;
    uint16_t value;
    bool operator==(const Progress& other) const { return text == other.text && value == other.value; }
    friend void PrintTo(const Progress& p, std::ostream* out) {
        *out << "\"" << std::string(p.text.begin(), p.text.end()) << "\" " << p.value;
    }
};
std::vector<Progress> progress;
std::vector<std::u16string> importantErrors;
int idleCalls = 0;

void VEK_CALL RecordProgress(void*, const VekChar* text, uint16_t value) { progress.push_back({Text(text), value}); }
int32_t VEK_CALL RecordImportantError(void*, const VekChar* text) {
    importantErrors.push_back(Text(text));
    return 0;
}
void VEK_CALL CountIdle(void*) { ++idleCalls; }

void PutChecksumWord(std::size_t at, uint16_t word) {
    VekGetVekStruct()->ChecksumReply[at] = static_cast<uint8_t>(word);
    VekGetVekStruct()->ChecksumReply[at + 1] = static_cast<uint8_t>(word >> 8);
}

class DefinitionDownload : public ::testing::Test {
protected:
    void SetUp() override {
        VekStruct* device = VekGetVekStruct();
        std::memset(device->ChecksumReply, 0, sizeof device->ChecksumReply);
        device->IntCodeCount = 7;
        ExpectTotal(720);
        progress.clear();
        importantErrors.clear();
        idleCalls = 0;
        VekSetCallback(VEK_CALLBACK_PROGRESS, nullptr);
        VekSetCallback(VEK_CALLBACK_IMPORTANT_ERROR, reinterpret_cast<VekCallback>(RecordImportantError));
        VekSetCallback(VEK_CALLBACK_IDLE, reinterpret_cast<VekCallback>(CountIdle));
        VekClearParDefs();
    }

    static void ExpectTotal(uint16_t total, uint32_t longTotal = 0) {
        PutChecksumWord(8, total);
        PutChecksumWord(28, static_cast<uint16_t>(longTotal));
        PutChecksumWord(30, static_cast<uint16_t>(longTotal >> 16));
    }
    static void UseLayout(uint16_t commandsInfo, uint16_t nameLength) {
        PutChecksumWord(16, commandsInfo);
        PutChecksumWord(26, nameLength);
    }

    // Scripts one request per block, then the empty block, and downloads.
    int32_t Download(const std::vector<Bytes>& blocks) {
        for (const Bytes& block : blocks) line_.Expect(kRequest).ReplyBlock(block);
        line_.Expect(kRequest).ReplyBlock({});
        return VekReadAllParDef();
    }

    ScriptedStream line_;
    vektest::LogCapture log_;
};

TEST_F(DefinitionDownload, FirstBlockWithoutAWholeRecordEndsAtOnce) {
    VekAddParDef(9);
    line_.Expect(kRequest).ReplyBlock(Bytes(35, 0x41));
    EXPECT_EQ(VekReadAllParDef(), 1);
    EXPECT_TRUE(line_.Complete());
    EXPECT_EQ(line_.Written(), kRequest);
    EXPECT_EQ(VekGetParDefNum(), 0u);  // the earlier store is gone
    EXPECT_EQ(log_.Lines(), (std::vector<std::string>{
                                "Reading all parameter definitions...", "Total expected par def bytes = 720",
                                "Total received par def bytes = 35", "Building the par def list...",
                                "Validating the par def list..."}));
    EXPECT_EQ(idleCalls, 1);
}

TEST_F(DefinitionDownload, BlocksCarryWholeRecordsOnly) {
    const Bytes two = Encode({{1, "A"}, {2, "B"}});
    ASSERT_EQ(two.size(), 72u);
    Bytes oneAndAHalf = Encode({{3, "C"}, {4, "D"}});
    oneAndAHalf.pop_back();  // 71 bytes: the second record is not whole and is ignored
    EXPECT_EQ(Download({two, oneAndAHalf}), 1);
    EXPECT_TRUE(line_.Complete());
    EXPECT_EQ(line_.Written(), (Bytes{0x03, 0x03, 0x03}));
    EXPECT_EQ(IndexOrder(), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_TRUE(log_.Contains("Total received par def bytes = 143"));
    EXPECT_EQ(idleCalls, 3);
}

TEST_F(DefinitionDownload, RecordFieldsAreDecoded) {
    const Bytes block = Encode({
        {10, "Oil Temp", 0xFF9C, 0x0064, "deg C", 3, 0x20, 0},
        {11, "Full", 0x0000, 0xFFFF, "abcdefg", 6, 0x80, 0},
        {12, "Edges", 0x8000, 0x7FFF, "Hex", 5, 0x00, 0},
        {13, "ExactlyTwentyChars__", 0xFF6A, 3000, "%", 2, 0x20, 0},
        {14, "Temp\xB0", 0, 10, "\xB0" "C"},
    });
    EXPECT_EQ(Download({block}), 1);

    const ParDef* oil = VekGetParDef(10);
    ASSERT_NE(oil, nullptr);
    EXPECT_EQ(Text(oil->Name), u"OilTemp");
    EXPECT_EQ(+oil->Min, -100);
    EXPECT_EQ(+oil->Max, 100);
    EXPECT_EQ(Text(oil->Unit), u"degC");
    EXPECT_EQ(oil->IntCode, 3);
    EXPECT_EQ(oil->Format, 0x20);
    EXPECT_EQ(oil->ArrayIndex, 0);
    EXPECT_EQ(oil->ArrayLength, 1);
    EXPECT_EQ(oil->RawValue, 0);

    const ParDef* full = VekGetParDef(11);
    EXPECT_EQ(+full->Min, 0);
    EXPECT_EQ(+full->Max, 65535);
    EXPECT_EQ(Text(full->Unit), u"abcdef");  // only 6 of the 7 unit bytes count

    const ParDef* edges = VekGetParDef(12);
    EXPECT_EQ(+edges->Min, -32768);
    EXPECT_EQ(+edges->Max, 32767);

    // A name that fills its field has no 0 byte; the limits get real values.
    const ParDef* exact = VekGetParDef(13);
    EXPECT_EQ(Text(exact->Name), u"ExactlyTwentyChars__");
    EXPECT_EQ(+exact->RealMin, -1.5);
    EXPECT_EQ(+exact->RealMax, 30.0);

    // Bytes above 127 widen to the characters of the same codes.
    EXPECT_EQ(Text(VekGetParDef(14)->Name), u"Temp\u00B0");
    EXPECT_EQ(Text(VekGetParDef(14)->Unit), u"\u00B0C");
}

TEST_F(DefinitionDownload, ArraysBecomeOneDefinitionPerElement) {
    const Bytes block = Encode({
        {100, "Gain", 0, 1000, "%", 3, 0x10, 2},
        {200, "Mode", 0, 3, "", 0, 0x00, 2},  // IntCode 0: never expanded
    });
    EXPECT_EQ(Download({block}), 1);
    EXPECT_EQ(IndexOrder(), (std::vector<uint32_t>{100, 101, 102, 200}));
    for (uint8_t e = 0; e <= 2; ++e) {
        const ParDef* element = VekGetParDef(100 + e);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(Text(element->Name), u"Gain(" + std::u16string(1, u'0' + e) + u")");
        EXPECT_EQ(element->ArrayIndex, e);
        EXPECT_EQ(element->ArrayLength, 3);
        EXPECT_EQ(+element->Max, 1000);
        EXPECT_EQ(element->IntCode, 3);
        EXPECT_EQ(element->Format, 0x10);
        EXPECT_EQ(Text(element->Unit), u"%");
        EXPECT_EQ(+element->RealMax, 100.0);
    }
    const ParDef* mode = VekGetParDef(200);
    EXPECT_EQ(Text(mode->Name), u"Mode");
    EXPECT_EQ(mode->ArrayIndex, 2);
    EXPECT_EQ(mode->ArrayLength, 1);
    EXPECT_EQ(VekGetParDef(201), nullptr);
}

TEST_F(DefinitionDownload, ElementSuffixStaysWholeInALongName) {
    const std::string name47(47, 'n');
    UseLayout(0, 64);
    EXPECT_EQ(Download({Encode({{1000, name47, 0, 1, "", 1, 0, 12}}, {2, 64})}), 1);
    EXPECT_EQ(Text(VekGetParDef(1000)->Name), std::u16string(46, u'n') + u"(0)");
    EXPECT_EQ(Text(VekGetParDef(1009)->Name), std::u16string(46, u'n') + u"(9)");
    EXPECT_EQ(Text(VekGetParDef(1012)->Name), std::u16string(45, u'n') + u"(12)");
}

TEST_F(DefinitionDownload, DuplicateNumbersAreReportedAndSkipped) {
    const Bytes block = Encode({
        {5, "First", 0, 10},
        {5, "Second", 0, 20},
        {300, "Array", 0, 1, "", 1, 0, 2},
        {301, "InTheWay", 0, 30},
    });
    EXPECT_EQ(Download({block}), 1);
    EXPECT_EQ(importantErrors, (std::vector<std::u16string>{u"Parameter 5 already exists (First)",
                                                            u"Parameter 301 already exists (InTheWay)"}));
    EXPECT_EQ(Text(VekGetParDef(5)->Name), u"First");
    EXPECT_EQ(+VekGetParDef(5)->Max, 10);
    EXPECT_EQ(Text(VekGetParDef(301)->Name), u"InTheWay");
    EXPECT_EQ(Text(VekGetParDef(302)->Name), u"Array(2)");
    EXPECT_EQ(IndexOrder(), (std::vector<uint32_t>{5, 300, 301, 302}));
}

TEST_F(DefinitionDownload, UnknownIntCodeFailsAndLeavesTheRecordHalfDecoded) {
    VekGetVekStruct()->IntCodeCount = 3;
    const Bytes block = Encode({
        {20, "Ranged", 7, 8, "", 250, 0, 0},  // the range code passes any count
        {10, "Arr", 0, 1, "", 2, 0x20, 4},
        {7, "Bad", 1, 2, "x", 3, 0x10, 1},
        {6, "NeverRead", 0, 1},
    });
    line_.Expect(kRequest).ReplyBlock(block);
    EXPECT_EQ(VekReadAllParDef(), 0);
    EXPECT_TRUE(line_.Complete());
    EXPECT_TRUE(log_.Contains("Unknown code 3 for parameter 7"));
    EXPECT_FALSE(log_.Contains("Building the par def list..."));

    const ParDef* bad = VekGetParDef(7);
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(Text(bad->Name), u"");
    EXPECT_EQ(bad->IntCode, 0);
    EXPECT_EQ(+bad->Min, 0);
    EXPECT_EQ(bad->ArrayIndex, 1);
    EXPECT_EQ(bad->ArrayLength, 2);
    // Neither expanded, nor sorted, nor with real limits.
    EXPECT_EQ(IndexOrder(), (std::vector<uint32_t>{20, 10, 7}));
    EXPECT_EQ(Text(VekGetParDef(10)->Name), u"Arr");
    EXPECT_EQ(VekGetParDef(20)->IntCode, 250);
    EXPECT_EQ(+VekGetParDef(20)->RealMax, 0.0);
}

// A governor that repeats itself or never stops: the download ends with one
// line, raises no error per record, and sends no request after it.
TEST_F(DefinitionDownload, RepeatedOrEndlessBlocksEndTheDownload) {
    const Bytes block = Encode({{1, "A"}, {2, "B"}});
    line_.Expect(kRequest).ReplyBlock(block).Expect(kRequest).ReplyBlock(block);
    EXPECT_EQ(VekReadAllParDef(), 0);
    EXPECT_TRUE(line_.Complete());
    EXPECT_EQ(log_.Lines().back(), "The governor sent a block of parameter definitions it had sent already");
    EXPECT_EQ(importantErrors, std::vector<std::u16string>{});

    SetUp();
    ExpectTotal(100);  // up to 2148 bytes are taken: 100 more, or a block buffer
    std::vector<WireRecord> records;
    for (uint32_t id = 0; id < 100; ++id) records.emplace_back(id, "N");
    line_.Expect(kRequest).ReplyBlock(Encode(std::vector<WireRecord>(records.begin(), records.begin() + 50)));  // 1800 bytes
    line_.Expect(kRequest).ReplyBlock(Encode(std::vector<WireRecord>(records.begin() + 50, records.end())));
    EXPECT_EQ(VekReadAllParDef(), 0);
    EXPECT_TRUE(line_.Complete());
    EXPECT_EQ(log_.Lines().back(),
              "The governor sent 3600 bytes of parameter definitions, far more than the 100 it announced");
}

TEST_F(DefinitionDownload, ProgressFollowsTheExpectedBytes) {
    VekSetCallback(VEK_CALLBACK_PROGRESS, reinterpret_cast<VekCallback>(RecordProgress));
    ExpectTotal(100);
    EXPECT_EQ(Download({Encode({{1, "A"}, {2, "B"}}), Encode({{3, "C"}, {4, "D"}})}), 1);
    const std::u16string downloading = u"Downloading parameters definition";
    EXPECT_EQ(progress, (std::vector<Progress>{{downloading, 0},
                                               {downloading + u" (72%)", 720},
                                               {downloading + u" (100%)", 1000},  // capped
                                               {downloading + u" (100%)", 1000},
                                               {u"Building parameter lists...", 0},
                                               {u"Validating parameter lists...", 500},
                                               {u"Parameter lists validated!", 0}}));
}

TEST_F(DefinitionDownload, LongTotalReplacesTheWordAndZeroExpectsNothing) {
    VekSetCallback(VEK_CALLBACK_PROGRESS, reinterpret_cast<VekCallback>(RecordProgress));
    ExpectTotal(100, 72000);
    EXPECT_EQ(Download({Encode({{1, "A"}, {2, "B"}})}), 1);
    EXPECT_EQ(progress[1], (Progress{u"Downloading parameters definition (0%)", 1}));
    EXPECT_TRUE(log_.Contains("Total expected par def bytes = 72000"));

    SetUp();
    VekSetCallback(VEK_CALLBACK_PROGRESS, reinterpret_cast<VekCallback>(RecordProgress));
    ExpectTotal(0);
    EXPECT_EQ(Download({Encode({{1, "A"}})}), 1);
    EXPECT_EQ(progress[1], (Progress{u"Downloading parameters definition (0%)", 0}));
}

TEST_F(DefinitionDownload, WideNumbersAndLongerNames) {
    UseLayout(0x1000, 30);
    const WireLayout wide{4, 30};
    const std::string name30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
    const Bytes block = Encode({{70001, name30, 0, 5, "V", 1, 0, 0}, {0x00020000, "Pump Pressure", 1, 2}}, wide);
    ASSERT_EQ(block.size(), 96u);
    EXPECT_EQ(Download({block}), 1);
    EXPECT_EQ(Text(VekGetParDef(70001)->Name), u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    EXPECT_EQ(Text(VekGetParDef(70001)->Unit), u"V");
    EXPECT_EQ(Text(VekGetParDef(0x00020000)->Name), u"PumpPressure");
}

TEST_F(DefinitionDownload, NameFieldLongerThanANameIsCutTo49Characters) {
    UseLayout(0, 80);
    EXPECT_EQ(Download({Encode({{1, std::string(80, 'x')}}, {2, 80})}), 1);
    EXPECT_EQ(Text(VekGetParDef(1)->Name), std::u16string(49, u'x'));
    EXPECT_EQ(Text(VekGetParDef(1)->Unit), u"");
}

TEST_F(DefinitionDownload, BlockLargerThanTheBufferFailsTheDownload) {
    Bytes oversized = Encode(std::vector<WireRecord>(57, WireRecord(1, "A")));
    oversized.resize(2049, 0);
    line_.Expect(kRequest).ReplyBlock(oversized);
    EXPECT_EQ(VekReadAllParDef(), 0);
    EXPECT_TRUE(log_.Contains("Block of 2049 bytes is larger than the buffer of 2048 bytes"));
    EXPECT_EQ(VekGetParDefNum(), 0u);
}

// Whole downloads from the simulated governor's profiles.
class SimulatedDownload : public ::testing::TestWithParam<const char*> {};

TEST_P(SimulatedDownload, ReceivesEveryDefinitionOfTheProfile) {
    vekgov::InProcessHost host(*vekgov::FindProfile(GetParam()));
    const std::vector<vekgov::Definition>& sent = host.Model().profile.definitions;
    VekSetCallback(VEK_CALLBACK_IMPORTANT_ERROR, reinterpret_cast<VekCallback>(RecordImportantError));
    importantErrors.clear();
    ASSERT_EQ(VekInit(), 1);
    ASSERT_EQ(VekReadAllParDef(), 1);
    EXPECT_TRUE(importantErrors.empty());

    std::size_t expected = 0;
    for (const vekgov::Definition& d : sent) expected += d.intCode != 0 ? d.count + 1u : 1u;
    EXPECT_EQ(VekGetParDefNum(), expected);
    ASSERT_FALSE(sent.empty());
    for (const vekgov::Definition& d : sent) {
        const ParDef* def = VekGetParDef(d.number);
        ASSERT_NE(def, nullptr) << d.number;
        EXPECT_EQ(+def->Max, d.max);
        EXPECT_EQ(def->IntCode, d.intCode);
    }
    const std::vector<uint32_t> order = IndexOrder();
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

INSTANTIATE_TEST_SUITE_P(Profiles, SimulatedDownload, ::testing::Values("default", "hw4", "wide", "enhanced"));

TEST(SimulatedDownloadDetails, WideProfileKeepsLongNamesAndNumbers) {
    vekgov::DeviceProfile profile = *vekgov::FindProfile("wide");
    std::string error;
    ASSERT_TRUE(vekgov::AttachDefinitions(profile,
                                          {{70001, "A Name Of Thirty Characters 12", 0xFF38, 200, "%", 3, 0x10, 1, {}},
                                           {2999, "Timer", 0, 65535, "ms", 6, 0, 0, {}}},
                                          error));
    profile.definitionBlockBytes = 50;  // one record a block
    vekgov::InProcessHost host(profile);
    ASSERT_EQ(VekInit(), 1);
    ASSERT_EQ(VekReadAllParDef(), 1);
    EXPECT_EQ(VekGetParDefNum(), 3u);
    const ParDef* second = VekGetParDef(70002);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Text(second->Name), u"ANameOfThirtyCharacters12(1)");
    EXPECT_EQ(+second->Min, -200);
    EXPECT_EQ(+second->RealMin, -20.0);
}

TEST(SimulatedDownloadDetails, BuiltInGovernorNamesAreFound) {
    vekgov::InProcessHost host(*vekgov::FindProfile("default"));
    ASSERT_EQ(VekInit(), 1);
    ASSERT_EQ(VekReadAllParDef(), 1);
    const ParDef* timer = VekFindParDefByName(reinterpret_cast<const VekChar*>(u"Timer"), 0xFF);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(+timer->Id, 2999u);
    ASSERT_NE(VekFindParDefByName(reinterpret_cast<const VekChar*>(u"oiltemp"), 0x04), nullptr);
    EXPECT_EQ(VekGetParDef(3840)->Format, 0x20);
}

}  // namespace
