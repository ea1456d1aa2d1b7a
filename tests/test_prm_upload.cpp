// Loading parameter texts: line reading, sections, versions, value lines,
// matching by number and name, the merge question, and all-or-nothing.
#include "VekLib.h"
#include "core/State.hpp"
#include "prmfile/LineReader.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/TempDir.hpp"
#include "support/ToolRun.hpp"
#include "support/ValueDefinitions.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::intcode::Signed;
using vektest::intcode::Unsigned;

// What the callbacks received during one test.
std::vector<std::u16string> errors;
std::vector<std::u16string> questions;
std::vector<std::u16string> statuses;
int32_t answer = 0;

void VEK_CALL RecordError(void*, const VekChar* text) { errors.push_back(vektest::ToText(text)); }
void VEK_CALL RecordStatus(void*, const VekChar* text) { statuses.push_back(vektest::ToText(text)); }
int32_t VEK_CALL RecordQuestion(void*, const VekChar* text) {
    questions.push_back(vektest::ToText(text));
    return answer;
}

// A command byte followed by a block of values, as the host sends them.
Bytes CommandBlock(uint8_t command, const Bytes& values) {
    Bytes bytes{command};
    const Bytes block = vektest::ScriptedStream::Block(values);
    bytes.insert(bytes.end(), block.begin(), block.end());
    return bytes;
}

// Version sections that match the device set up by the fixture.
const std::string kHeader = "[HW]\n2310\n[SW]\n70000\n[UW]\n0\n[Werte]\n";
constexpr uint32_t kFirstValueLine = 8;

class PrmUpload : public ::testing::Test {
protected:
    void SetUp() override {
        vektest::ResetValueState();
        errors.clear();
        questions.clear();
        statuses.clear();
        answer = 0;
        VekSetCallback(VEK_CALLBACK_ERROR, reinterpret_cast<VekCallback>(RecordError));
        VekSetCallback(VEK_CALLBACK_QUESTION, reinterpret_cast<VekCallback>(RecordQuestion));
        VekSetCallback(VEK_CALLBACK_STATUS, reinterpret_cast<VekCallback>(RecordStatus));
        VekStruct& device = *VekGetVekStruct();
        device.HardwareVersion = 2310;
        device.SoftwareVersion = 70000;

        vektest::Define(12, 0, 1000, 0x10, Unsigned, u"%", u"Pump");
        vektest::Define(13, -500, 500, 0x10, Signed, u"C", u"Offset");
        vektest::Define(20, 0, 100, 0, Unsigned, u"", u"Gain");
        vektest::Define(21, 0, 100, 0, Unsigned, u"", u"Bias");
        vektest::Define(300, 0, 0xFFFF, 0, Unsigned, u"Hex", u"Mask");
        vektest::Define(4711, 400, 1500, 0, Unsigned, u"rpm", u"Idle_speed");
        vektest::Define(6001, 0, 100, 0, Unsigned, u"", u"Curve_1");
        vektest::Define(12345, 0, 100, 0, Unsigned, u"C", u"Oil_temp");
        VekValidateAllParDefs();
        // Only the tests of the bulk write send values; the others keep them.
        VekDirectSet(0);
    }

    static int32_t Upload(const std::string& text, int32_t includeMeasurements = 0, int32_t tolerant = 0) {
        return VekUploadPrmBufferExt(text.data(), static_cast<uint32_t>(text.size()), includeMeasurements, tolerant);
    }
    static uint16_t Raw(uint32_t id) { return VekGetParDef(id)->RawValue; }
    static void SetRaw(uint32_t id, uint16_t value) { VekGetParDef(id)->RawValue = value; }
    // The log without the line every upload starts with.
    std::vector<std::string> Failures() const {
        std::vector<std::string> lines = log_.Lines();
        if (!lines.empty() && lines[0] == "Uploading parameters...") lines.erase(lines.begin());
        return lines;
    }

    vektest::LogCapture log_;
    vektest::ScriptedStream line_;
};

using Lines = std::vector<std::string>;
using Texts = std::vector<std::u16string>;

TEST_F(PrmUpload, AcceptsCommentsBlankLinesAndEveryLineEnd) {
    const char withDroppedBytes[] = "6001\tCurve_1\0=7\xFF\n";  // NUL and 0xFF are dropped
    const std::string text = std::string("# saved by hand\r\n\r\n   \t\r\n") +
                             "[hw]\r\n2310\r\n[SW]\n0000070000\n[UW]\n0\n[werte]\n"
                             "# a comment\n"
                             "  12 Pump = 12.5 %\r\n"
                             "4711=Idle_speed 750\n" +
                             std::string(withDroppedBytes, sizeof withDroppedBytes - 1) +
                             "  13   Offset  =  -15.5  C  extra  words";  // last line without LF
    ASSERT_EQ(Upload(text), 1);
    EXPECT_EQ(Raw(12), 125);
    EXPECT_EQ(Raw(4711), 750);
    EXPECT_EQ(Raw(6001), 7);
    EXPECT_EQ(Raw(13), 0xFF65);  // -155
    EXPECT_EQ(log_.Lines(), Lines{"Uploading parameters..."});
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses[0], u"Uploading parameters...");
    EXPECT_TRUE(errors.empty());
}

TEST_F(PrmUpload, ValueLinesAreCutAtBlanksAndEqualSigns) {
    const std::string name50(50, 'N');
    const std::string name49(49, 'N');
    struct Case {
        std::string line;
        int32_t result;
        Lines failures;
    } cases[] = {
        {"4711 Idle_speed = 750 rpm", 1, {}},
        {"4711 Idle_speed 750", 1, {}},
        {"4711=Idle_speed 750", 1, {}},
        {"4711 IDLE_SPEED=750", 1, {}},
        {"4711 Idle_speed 750 rpm two more", 1, {}},
        {"4711 Idle_speed 750 rpm one two three", 0, {"Syntax error at line 8"}},
        {"4711 Idle_speed", 0, {"Syntax error at line 8"}},
        {"  #  Idle_speed", 0, {"Syntax error at line 8"}},
        {"47x1 Idle_speed 750", 0, {"Syntax error at line 8"}},
        {"4294967296 Idle_speed 750", 0, {"Syntax error at line 8"}},
        {"4711 " + name50 + " 750", 0, {"Syntax error at line 8"}},
        {"4711 " + name49 + " 750", 0, {}},  // a name that fits but matches nothing
    };
    for (const Case& c : cases) {
        SetRaw(4711, 400);
        const int32_t before = static_cast<int32_t>(log_.Lines().size());
        EXPECT_EQ(Upload(kHeader + c.line + "\n"), c.result) << c.line;
        const Lines all = log_.Lines();
        const Lines failures(all.begin() + before + 1, all.end());
        EXPECT_EQ(failures, c.failures) << c.line;
        EXPECT_EQ(Raw(4711), c.result ? 750 : 400) << c.line;
    }
    EXPECT_EQ(errors, Texts{u"Failed to set parameter [4711 " + std::u16string(49, u'N') + u"]"});
}

TEST_F(PrmUpload, SyntaxErrorsNameThePhysicalLine) {
    std::string text = "# header comment\n\n" + kHeader;
    for (int i = 0; i < 30; ++i) text += (i % 2) ? "\n" : "# filler\n";
    text += "12 Pump\n";  // physical line 40
    EXPECT_EQ(Upload(text), 0);
    EXPECT_EQ(Failures(), Lines{"Syntax error at line 40"});
}

TEST_F(PrmUpload, SectionsAreDispatchedUntilTheValueSection) {
    struct Case {
        std::string text;
        int32_t result;
        Lines failures;
    } cases[] = {
        {"[Extra]\nanything = here\n[HW]\n2310\n[SW]\n70000\n[Data]\n12 Pump 1.0\n", 1, {}},
        {"[SW]\n70000\n[HW]\n2310\n[Werte]\n", 1, {}},
        // "[SW]" right after "[HW]" is the hardware version; "2310" is then no section.
        {"[HW]\n[SW]\n2310\n[Werte]\n", 0, {"Invalid parameters format"}},
        {"Version 5\n[Werte]\n", 0, {"Invalid parameters format"}},
        {"  #word\n[Werte]\n", 0, {"Invalid parameters format"}},
        // Texts that end too early fail without a message.
        {"", 0, {}},
        {"# only\n\n  \n# comments\n", 0, {}},
        {"[HW]\n", 0, {}},
        {"[HW]\n2310\n[Extra]\nno header follows\n", 0, {}},
    };
    for (const Case& c : cases) {
        const std::size_t before = log_.Lines().size();
        EXPECT_EQ(Upload(c.text), c.result) << c.text;
        const Lines all = log_.Lines();
        ASSERT_GT(all.size(), before);
        EXPECT_EQ(all[before], "Uploading parameters...");
        EXPECT_EQ(Lines(all.begin() + before + 1, all.end()), c.failures) << c.text;
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(PrmUpload, VersionMismatchesFailUnlessTolerant) {
    VekGetVekStruct()->UserVersion = 5;
    const std::string withoutUser = "[HW]\n2310\n[SW]\n70000\n[Werte]\n12 Pump 2.0\n";
    EXPECT_EQ(Upload(withoutUser, 0, 0), 0);
    EXPECT_EQ(Failures(), Lines{"User versions don't match"});
    EXPECT_EQ(Raw(12), 0);

    const std::string allWrong = "[HW]\n1\n[SW]\n2\n[UW]\n3\n[Werte]\n12 Pump 2.0\n";
    vektest::LogCapture strict;
    EXPECT_EQ(Upload(allWrong, 0, 0), 0);
    EXPECT_EQ(strict.Lines(), (Lines{"Uploading parameters...", "Hardware versions don't match"}));

    vektest::LogCapture tolerant;
    EXPECT_EQ(Upload(allWrong, 0, 1), 1);
    EXPECT_EQ(tolerant.Lines(), (Lines{"Uploading parameters...", "Hardware versions don't match",
                                       "Software versions don't match", "User versions don't match"}));
    EXPECT_EQ(Raw(12), 20);
}

TEST_F(PrmUpload, MeasurementLinesAreSkippedUnlessAskedFor) {
    const std::string unreadable = kHeader + "12345 Oil_temp = x C\n12 Pump 3.0\n";
    EXPECT_EQ(Upload(unreadable), 1);
    EXPECT_EQ(Raw(12), 30);
    EXPECT_EQ(Upload(unreadable, 1), 0);
    EXPECT_EQ(Failures().back(), "Invalid number format: x");

    EXPECT_EQ(Upload(kHeader + "12345 Oil_temp = 42 C\n", 1), 1);
    EXPECT_EQ(Raw(12345), 42);
}

TEST_F(PrmUpload, WithoutToleranceANameMismatchFails) {
    SetRaw(12, 7);
    EXPECT_EQ(Upload(kHeader + "12 Pump 5.0\n20 Bias 3\n", 0, 0), 0);
    EXPECT_EQ(errors, Texts{u"Failed to set parameter [20 Bias]"});
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(Raw(12), 7);
    EXPECT_EQ(Raw(20), 0);
}

TEST_F(PrmUpload, TolerantUploadAsksOnceAndMergesByName) {
    answer = 1;
    const std::string text = kHeader +
                             "21 Gain 5\n"     // Gain is 20 here
                             "99 Nowhere 3\n"  // no such name: left out
                             "20 Bias 4\n"     // Bias is 21 here
                             "12 Pump 1.5\n";
    EXPECT_EQ(Upload(text, 0, 1), 1);
    EXPECT_EQ(questions, Texts{u"Parameter [21 Gain] does not have the same id with this firmware [20 Gain].\n\r\n\r"
                               u"Do you want to attempt to merge them together?"});
    EXPECT_EQ(errors, Texts{u"Cannot find parameter [Nowhere] definition"});
    EXPECT_EQ(Raw(20), 5);
    EXPECT_EQ(Raw(21), 4);
    EXPECT_EQ(Raw(12), 15);
}

TEST_F(PrmUpload, AMergeRefusedCancelsTheWholeUpload) {
    VekDirectSet(1);
    SetRaw(12, 7);
    EXPECT_EQ(Upload(kHeader + "12 Pump 5.0\n99 Nowhere 3\n21 Gain 5\n", 0, 1), 0);
    EXPECT_EQ(questions, Texts{u"Parameter [99 Nowhere] cannot be found in this firmware.\n\r\n\r"
                               u"Do you want to attempt to merge the both parameters definitions together?"});
    EXPECT_EQ(errors, Texts{u"Parameters update canceled because parameter names don't match with firmware"});
    EXPECT_EQ(Raw(12), 7);
    EXPECT_TRUE(line_.Written().empty());
}

TEST_F(PrmUpload, HexValuesWithoutUnitAreDecimal) {
    EXPECT_EQ(Upload(kHeader + "300 mask 255\n"), 1);
    EXPECT_EQ(Raw(300), 0xFF);
    EXPECT_EQ(Upload(kHeader + "300 Mask = 255 Hex\n"), 1);
    EXPECT_EQ(Raw(300), 0x255);
    EXPECT_EQ(Upload(kHeader + "300 Mask = 1A whatever\n"), 1);
    EXPECT_EQ(Raw(300), 0x1A);
    EXPECT_EQ(Upload(kHeader + "300 Mask -1\n"), 0);
    EXPECT_EQ(Failures().back(), "Parameter value is out of range [FFFFFFFF] => 300: Mask  [0000 .. FFFF]");
}

TEST_F(PrmUpload, AFailingLineRestoresEveryValueAndSendsNothing) {
    VekDirectSet(1);
    const std::map<uint32_t, uint16_t> before = {{12, 5}, {13, 9}, {300, 0xAB}, {4711, 400}, {6001, 3}};
    for (const auto& [id, raw] : before) SetRaw(id, raw);
    const std::string text = kHeader +
                             "12 Pump 99.9\n13 Offset -1.0\n300 Mask 0x10 Hex\n6001 Curve_1 50\n"
                             "4711 Idle_speed 5000 rpm\n";
    EXPECT_EQ(Upload(text), 0);
    for (const auto& [id, raw] : before) EXPECT_EQ(Raw(id), raw) << id;
    EXPECT_EQ(Failures(), Lines{"Parameter value is out of range [5000] => 4711: Idle_speed  [400 .. 1500]"});
    EXPECT_TRUE(line_.Written().empty());
}

TEST_F(PrmUpload, AnAcceptedTextGoesToTheGovernorInOneBulkWrite) {
    VekDirectSet(1);
    SetRaw(300, 0x1234);
    SetRaw(6001, 9);
    // Parameters 12, 13, 20, 21, 300; the function 4711; the curve 6001.
    line_.Expect(CommandBlock(0x4C, {25, 0, 0x65, 0xFF, 0, 0, 0, 0, 0x34, 0x12})).ReplyWord(0);
    line_.Expect(CommandBlock(0x4E, {0xEE, 0x02})).ReplyWord(0);
    line_.Expect(CommandBlock(0x4F, {9, 0})).ReplyWord(0);
    EXPECT_EQ(Upload(kHeader + "4711 Idle_speed 750\n13 Offset -15.5\n12 Pump 2.5\n12345 Oil_temp 5\n"), 1);
    EXPECT_TRUE(line_.Complete());
    EXPECT_TRUE(line_.Mismatches().empty());
    EXPECT_EQ(Raw(12345), 0);
}

TEST_F(PrmUpload, FilesAreReadLikeBuffers) {
    vektest::TempDir dir;
    const std::filesystem::path file = dir.path() / std::filesystem::u8path(u8"Pr\u00fcfstand \u6e2c\u8a66.prm");
    std::ofstream(file, std::ios::binary) << kHeader << "4711 Idle_speed 750\r\n12345 Oil_temp 7\r\n";
    const std::u16string path = file.u16string();
    EXPECT_EQ(VekUploadPrmFile(reinterpret_cast<const VekChar*>(path.c_str()), 0), 1);
    EXPECT_EQ(Raw(4711), 750);
    EXPECT_EQ(Raw(12345), 0);
    EXPECT_EQ(VekUploadPrmFileExt(reinterpret_cast<const VekChar*>(path.c_str()), 1, 0), 1);
    EXPECT_EQ(Raw(12345), 7);

    const std::u16string missing = (dir.path() / "missing.prm").u16string();
    EXPECT_EQ(VekUploadPrmFile(reinterpret_cast<const VekChar*>(missing.c_str()), 0), 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to open file " + (dir.path() / "missing.prm").string() + " for reading");
    EXPECT_EQ(VekUploadPrmFile(nullptr, 0), 0);
    EXPECT_EQ(log_.Lines().back(), "VekUploadPrmFileExt: missing argument");
}

// A line longer than the line buffer arrives in pieces of 999 bytes, each
// counted as a line: from a file and from a buffer alike.
TEST_F(PrmUpload, LongLinesArriveInPieces) {
    std::string first = "4711 Idle_speed 750";
    first.resize(999, ' ');
    const std::string text = kHeader + first + "12 Pump 2.5\n12 Pump\n";
    EXPECT_EQ(Upload(text), 0);
    EXPECT_EQ(Failures(), Lines{"Syntax error at line " + std::to_string(kFirstValueLine + 2)});

    vektest::TempDir dir;
    std::ofstream(dir / "long.prm", std::ios::binary) << kHeader << first << "12 Pump 2.5\n";
    const std::u16string path = (dir / "long.prm").u16string();
    ASSERT_EQ(VekUploadPrmFile(reinterpret_cast<const VekChar*>(path.c_str()), 0), 1);
    EXPECT_EQ(Raw(4711), 750);
    EXPECT_EQ(Raw(12), 25);
}

TEST(PrmLineReader, DropsControlBytesAndCutsAt999) {
    const std::string exact(999, 'a');
    const char controlBytes[] = "a\0b\rc\xFF" "d\r\n";
    const std::string text = std::string(controlBytes, sizeof controlBytes - 1) + exact + "\n" + "last";
    vek::BufferSource source(text.data(), text.size());
    std::vector<std::string> lines;
    for (std::string line; vek::ReadRawLine(source, line);) lines.push_back(line);
    // The LF after 999 bytes no longer fits the first piece: it ends an empty line.
    EXPECT_EQ(lines, (std::vector<std::string>{"abcd", exact, "", "last"}));
}

// --- vek save and vek load ---------------------------------------------------

#if defined(_WIN32)
constexpr const char* kNoInput = " < NUL";
#else
constexpr const char* kNoInput = " < /dev/null";
#endif

class PrmTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!vektest::ToolBuilt()) GTEST_SKIP() << "the tool is not built";
        const vektest::ToolRun save = vektest::RunTool("save \"" + file_.string() + "\"");
        ASSERT_EQ(save.status, 0) << save.output;
        ASSERT_TRUE(EndsWith(save.output, "Saved the parameters of the simulated governor (profile default) to " +
                                              file_.string() + "\n"))
            << save.output;
    }

    static bool EndsWith(const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    }

    vektest::TempDir dir_;
    std::filesystem::path file_ = dir_ / "governor.prm";
};

TEST_F(PrmTool, LoadsWhatItSaved) {
    const vektest::ToolRun load = vektest::RunTool("load \"" + file_.string() + "\"");
    EXPECT_EQ(load.status, 0) << load.output;
    EXPECT_TRUE(EndsWith(load.output, "Loaded " + file_.string() + " into the simulated governor (profile default)\n"))
        << load.output;
}

TEST_F(PrmTool, MergingNeedsAnAnswerFromTheTerminalOrYes) {
    std::string text = vektest::ReadFileBytes(file_);
    const std::size_t line = text.find("\n     2 RatedSpeed ");
    ASSERT_NE(line, std::string::npos);
    text.replace(line, 7, "\n    99");
    std::ofstream(file_, std::ios::binary | std::ios::trunc) << text;
    const std::string load = "load \"" + file_.string() + "\" --tolerant";

    const vektest::ToolRun refused = vektest::RunTool(load + kNoInput);
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(EndsWith(refused.output,
                         "Parameter [99 RatedSpeed] does not have the same id with this firmware [2 RatedSpeed].\n\n"
                         "Do you want to attempt to merge them together?\n"
                         "No terminal to answer on: no (--yes answers yes).\n"
                         "vek: load " + file_.string() +
                             " failed: Parameters update canceled because parameter names don't match with "
                             "firmware\n"))
        << refused.output;

    const vektest::ToolRun merged = vektest::RunTool(load + " --yes" + kNoInput);
    EXPECT_EQ(merged.status, 0) << merged.output;
}

}  // namespace
