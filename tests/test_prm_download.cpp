// Saving parameter files and the raw data listing: exact bytes, cutting at a
// buffer's capacity, failures, and the round trip through the simulated
// governor.
#include "VekLib.h"
#include "DefinitionBlocks.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"
#include "platform/Platform.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/TempDir.hpp"
#include "support/ToolRun.hpp"
#include "support/ValueDefinitions.hpp"
#include "text/Text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using vek::platform::DateTime;
using vektest::Bytes;
using vektest::intcode::Signed;
using vektest::intcode::Unsigned;

const DateTime kSavedAt{2026, 12, 8, 19, 23, 5};

DateTime SavedAt() { return kSavedAt; }

// The clock stands still at kSavedAt while a test runs.
class FixedClock {
public:
    FixedClock() : clock_(vek::platform::SystemClock()) {
        clock_.utcNow = SavedAt;
        clock_.localNow = SavedAt;
        vek::platform::SetClockForTesting(&clock_);
    }
    ~FixedClock() { vek::platform::SetClockForTesting(nullptr); }

private:
    vek::platform::Clock clock_;
};

const VekChar* Api(const std::u16string& text) { return reinterpret_cast<const VekChar*>(text.c_str()); }

class PrmDownload : public ::testing::Test {
protected:
    void SetUp() override {
        vektest::ResetValueState();
        VekStruct& device = *VekGetVekStruct();
        device.HardwareVersion = 2310;
        device.SoftwareVersion = 70000;
        device.UserVersion = 7;
        vektest::Define(0, 0, 100, 0, Unsigned, u"", u"Zero");
        vektest::Define(12, 0, 1000, 0x10, Unsigned, u"%", u"Pump");
        vektest::Define(13, -500, 500, 0x10, Signed, u"\u00b0C", u"Offset");
        vektest::Define(300, 0, 0xFF, 0x80, Unsigned, u"Hex", u"Mask");
        vektest::Define(2001, 0, 4000, 0, Unsigned, u"rpm", u"Speed");
        vektest::Define(6001, 0, 100, 0, Unsigned, u"", u"A_curve_name_longer_than_20");
        VekValidateAllParDefs();
    }

    // The four group reads: parameters 0, 12, 13, 300, the measurement 2001,
    // no function, the curve 6001.
    void ScriptValueReads() {
        line_.Expect({0x47}).ReplyBlock({5, 0, 125, 0, 0x65, 0xFF, 0x1F, 0}).Expect({0x47}).ReplyBlock({});
        line_.Expect({0x48}).ReplyBlock({0xDC, 0x05}).Expect({0x48}).ReplyBlock({});
        line_.Expect({0x49}).ReplyBlock({});
        line_.Expect({0x4A}).ReplyBlock({42, 0}).Expect({0x4A}).ReplyBlock({});
    }

    static std::string HeaderTimeText() {
        return vek::Narrow(vek::platform::LongDate(kSavedAt)) + "  " + vek::Narrow(vek::platform::Time24(kSavedAt));
    }

    FixedClock clock_;
    vektest::LogCapture log_;
    vektest::ScriptedStream line_;
    vektest::TempDir dir_;
};

TEST_F(PrmDownload, WritesTheWholeFile) {
    ScriptValueReads();
    // A name beyond the 8-bit range opens; the header shows '?' for such characters.
    const std::filesystem::path file = dir_ / std::filesystem::u8path(u8"saved \u6e2c.prm");
    ASSERT_EQ(VekDownloadPrmFile(Api(file.u16string())), 1);
    EXPECT_TRUE(line_.Complete());
    const std::string expected =
        "#\r\n"
        "# " + (dir_ / "saved ?.prm").string() + "   " + HeaderTimeText() + "\r\n"
        "#\r\n"
        "\r\n"
        "# Internal hardware version - do not change, please\r\n"
        "[HW]\r\n"
        "2310\r\n"
        "\r\n"
        "# Internal software version - do not change, please\r\n"
        "[SW]\r\n"
        "0000070000\r\n"
        "\r\n"
        "# Internal user software version - do not change, please\r\n"
        "[UW]\r\n"
        "7\r\n"
        "\r\n"
        "# Parameter values - free for changing\r\n"
        "[Werte]\r\n"
        "    12 Pump                 =    12.5 %      \r\n"
        "    13 Offset               =   -15.5 \xB0" "C     \r\n"
        "   300 Mask                 =      1F Hex    \r\n"
        "  2001 Speed                =    1500 rpm    \r\n"
        "  6001 A_curve_name_longer_than_20 =      42        \r\n"
        "\r\n";
    EXPECT_EQ(vektest::ReadFileBytes(file), expected);
}

TEST_F(PrmDownload, SoftwareVersionsAboveAWordHaveTenDigits) {
    for (const auto& [version, written] : std::vector<std::pair<uint32_t, std::string>>{
             {1234, "1234"}, {65535, "65535"}, {65536, "0000065536"}, {4000000000u, "4000000000"}}) {
        VekGetVekStruct()->SoftwareVersion = version;
        ScriptValueReads();
        char buffer[2048];
        int32_t size = sizeof buffer;
        ASSERT_EQ(VekDownloadPrmBuffer(buffer, &size), 1);
        const std::string text(buffer, static_cast<std::size_t>(size));
        EXPECT_NE(text.find("\n[SW]\n" + written + "\n\n"), std::string::npos) << version;
    }
}

TEST_F(PrmDownload, BufferTextEndsLinesWithLineFeedsOnly) {
    ScriptValueReads();
    std::string buffer(4096, '\x55');
    int32_t size = static_cast<int32_t>(buffer.size());
    ASSERT_EQ(VekDownloadPrmBuffer(buffer.data(), &size), 1);
    const std::string text = buffer.substr(0, static_cast<std::size_t>(size));
    const std::string tmpfile = (std::filesystem::current_path() / "tmpfile").string();
    EXPECT_EQ(text.rfind("#\n# " + tmpfile + "   " + HeaderTimeText() + "\n#\n\n", 0), 0u) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    const std::string end = "  6001 A_curve_name_longer_than_20 =      42        \n\n";
    ASSERT_GT(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    EXPECT_EQ(buffer[static_cast<std::size_t>(size)], '\x55');  // nothing beyond the text, no NUL
}

TEST_F(PrmDownload, ATenByteBufferHoldsTheStartOfTheText) {
    ScriptValueReads();
    char buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), '\x55');
    int32_t size = 10;
    ASSERT_EQ(VekDownloadPrmBuffer(buffer, &size), 1);
    ASSERT_EQ(size, 10);
    const std::string tmpfile = (std::filesystem::current_path() / "tmpfile").string();
    EXPECT_EQ(std::string(buffer, 10), "#\n# " + tmpfile.substr(0, 6));
    EXPECT_EQ(buffer[10], '\x55');
}

TEST_F(PrmDownload, AFailedValueReadWritesNothing) {
    // The governor never answers.
    const std::filesystem::path file = dir_ / "empty.prm";
    EXPECT_EQ(VekDownloadPrmFile(Api(file.u16string())), 0);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(vektest::ReadFileBytes(file), "");
    EXPECT_EQ(log_.Lines().back(), "Failed to read parameter values");

    char buffer[64];
    int32_t size = sizeof buffer;
    EXPECT_EQ(VekDownloadPrmBuffer(buffer, &size), 0);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to read parameter values");
}

// The names in a folder, to see that no temporary file stays behind.
std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(PrmDownload, AFailedSaveKeepsTheFileThatWasThere) {
    // The governor never answers.
    const std::filesystem::path file = dir_ / "keep.prm";
    std::ofstream(file, std::ios::binary) << "good content";
    EXPECT_EQ(VekDownloadPrmFile(Api(file.u16string())), 0);
    EXPECT_EQ(vektest::ReadFileBytes(file), "good content");
    EXPECT_EQ(FolderNames(dir_.path()), std::vector<std::string>{"keep.prm"});
}

TEST_F(PrmDownload, ASaveReplacesTheFileWholeAndKeepsItsAccessRights) {
    const std::filesystem::path file = dir_ / "raw.txt";
    std::ofstream(file, std::ios::binary) << std::string(5000, 'x');
    const auto rights = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                        std::filesystem::perms::group_read;
    std::filesystem::permissions(file, rights);
    ASSERT_EQ(VekDownloadRawPrmFile(Api(file.u16string()), 0), 1);
    EXPECT_EQ(vektest::ReadFileBytes(file).substr(0, 20), "# Brenvik raw data\r\n");
    EXPECT_EQ(FolderNames(dir_.path()), std::vector<std::string>{"raw.txt"});
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(file).permissions(), rights);
#endif
}

#ifndef _WIN32
TEST_F(PrmDownload, AFailedWriteIsReportedWithTheSystemsReason) {
    EXPECT_EQ(VekDownloadRawPrmFile(Api(u"/dev/full"), 0), 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to write file /dev/full: No space left on device");
}
#endif

TEST_F(PrmDownload, UnopenableFilesAndMissingArgumentsAreReported) {
    const std::filesystem::path file = dir_ / "no such folder" / "x.prm";
    EXPECT_EQ(VekDownloadPrmFile(Api(file.u16string())), 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to open file " + file.string() + " for writing");
    EXPECT_EQ(VekDownloadRawPrmFile(Api(file.u16string()), 0), 0);
    EXPECT_EQ(log_.Lines().back(), "Failed to open file " + file.string() + " for writing");
    EXPECT_TRUE(line_.Written().empty());

    int32_t size = 10;
    EXPECT_EQ(VekDownloadPrmBuffer(nullptr, &size), 0);
    EXPECT_EQ(log_.Lines().back(), "VekDownloadPrmBuffer: missing argument");
}

TEST_F(PrmDownload, RawDataListsMemoryWithoutMeasurements) {
    const std::map<uint32_t, uint16_t> raw = {{0, 5}, {12, 125}, {13, 0xFF65}, {300, 0x1F}, {2001, 1500}, {6001, 42}};
    for (const auto& [id, value] : raw) VekGetParDef(id)->RawValue = value;
    const std::filesystem::path file = dir_ / "raw.txt";
    ASSERT_EQ(VekDownloadRawPrmFile(Api(file.u16string()), 0), 1);
    EXPECT_EQ(vektest::ReadFileBytes(file),
              "# Brenvik raw data\r\n"
              "     0 Zero                 =       - 0005        \r\n"
              "    12 Pump                 =       - 007D %      \r\n"
              "    13 Offset               =       - FF65 \xB0" "C     \r\n"
              "   300 Mask                 =       - 001F Hex    \r\n"
              "  6001 A_curve_name_longer_than_20 =       - 002A        \r\n");
    ASSERT_EQ(VekDownloadRawPrmFile(Api(file.u16string()), 1), 1);
    EXPECT_EQ(vektest::ReadFileBytes(file),
              "# Brenvik raw data\r\n"
              "     0 Zero                 =       5 0005        \r\n"
              "    12 Pump                 =    12.5 007D %      \r\n"
              "    13 Offset               =   -15.5 FF65 \xB0" "C     \r\n"
              "   300 Mask                 =      1F 001F Hex    \r\n"
              "  6001 A_curve_name_longer_than_20 =      42 002A        \r\n");
    // Made from memory: not a byte went to the governor.
    EXPECT_TRUE(line_.Written().empty());
}

#if !defined(_WIN32)
// The header's date and time follow the environment's LC_TIME; the "C"
// locale writes the long date in English, month first.
TEST(PrmHeaderTime, LongDateAndTwentyFourHourTimeOfTheTimeLocale) {
    const char* previous = std::getenv("LC_ALL");
    const std::optional<std::string> saved = previous ? std::optional<std::string>(previous) : std::nullopt;
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(vek::platform::LongDate(kSavedAt), u"Tuesday, December 8, 2026");
    EXPECT_EQ(vek::platform::Time24(kSavedAt), u"19:23:05");
    EXPECT_EQ(vek::platform::Time24(DateTime{2027, 1, 3, 7, 4, 9}), u"07:04:09");
    EXPECT_EQ(vek::platform::LongDate(DateTime{2027, 1, 3, 7, 4, 9}), u"Sunday, January 3, 2027");
    if (saved) {
        setenv("LC_ALL", saved->c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
}
#endif

TEST(PrmFullPath, RelativeNamesJoinTheCurrentFolder) {
    const std::filesystem::path folder = std::filesystem::current_path();
    EXPECT_EQ(vek::platform::FullPath(u"tmpfile"), (folder / "tmpfile").u16string());
    EXPECT_EQ(vek::platform::FullPath(u"a/../b.prm"), (folder / "b.prm").u16string());
}

// The simulated governor's value of every number it defines.
std::map<uint32_t, uint16_t> GovernorValues(const vekgov::GovernorModel& model) {
    std::map<uint32_t, uint16_t> values;
    for (uint32_t number : vekgov::DefinedNumbers(model.profile)) values[number] = *vekgov::ReadValue(model, number);
    return values;
}

std::map<uint32_t, uint16_t> LibraryValues() {
    std::map<uint32_t, uint16_t> values;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef* def = VekGetParDefByIndex(i);
        values[+def->Id] = def->RawValue;
    }
    return values;
}

bool IsMeasurement(uint32_t number) { return vekgov::GroupOf(number) == vekgov::ValueGroup::Measurements; }

TEST(PrmSimulatedGovernor, ItsOwnFileLoadsBackUnchanged) {
    vektest::LogCapture log;
    vekgov::InProcessHost host(*vekgov::FindProfile("default"));
    vektest::TempDir dir;
    const std::u16string path = (dir / "governor.prm").u16string();
    ASSERT_EQ(VekInit(), 1);
    ASSERT_EQ(VekReadAllParDef(), 1);
    ASSERT_EQ(VekDownloadPrmFile(Api(path)), 1);
    const std::map<uint32_t, uint16_t> before = GovernorValues(host.Model());
    EXPECT_EQ(VekUploadPrmFile(Api(path), 0), 1) << log.RawText();
    EXPECT_EQ(GovernorValues(host.Model()), before);
    EXPECT_EQ(LibraryValues(), before);
}

// A range limit that the file sets to 0 keeps that value: the conversions
// of the parameters it limits take the file's 0, not the governor's value.
TEST(PrmSimulatedGovernor, ARangeLimitSetToZeroByTheFileReachesTheGovernor) {
    vektest::LogCapture log;
    vekgov::InProcessHost host(*vekgov::FindProfile("default"));
    ASSERT_EQ(VekInit(), 1);
    ASSERT_EQ(VekReadAllParDef(), 1);
    std::vector<char> buffer(64 * 1024);
    int32_t size = static_cast<int32_t>(buffer.size());
    ASSERT_EQ(VekDownloadPrmBuffer(buffer.data(), &size), 1);
    std::string text(buffer.data(), static_cast<size_t>(size));
    const std::string limitLine = "   100 SpeedLimitLow        =     600 rpm    ";
    const size_t at = text.find(limitLine);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, limitLine.size(), "   100 SpeedLimitLow        =       0 rpm    ");

    EXPECT_EQ(VekUploadPrmBuffer(text.data(), static_cast<uint32_t>(text.size()), 0), 1) << log.RawText();
    EXPECT_EQ(*vekgov::ReadValue(host.Model(), 100), 0);
    EXPECT_EQ(+VekGetParDef(100)->RawValue, 0);
    EXPECT_EQ(*vekgov::ReadValue(host.Model(), 102), 1500);  // 1500 rpm lies in 0 .. 1800
}

// A governor with every kind of value: plain, signed, decimals, scaled,
// hexadecimal, a range parameter, arrays, a second page, measurements,
// functions and curves; each value set to one that its text gives back.
class PrmRoundTrip : public ::testing::Test {
protected:
    static vekgov::DeviceProfile Profile() {
        vekgov::DeviceProfile profile = *vekgov::FindProfile("default");
        std::string error;
        // IntCodes of the built-in profile: 1 0..100, 2 0..1000, 4 0..32767, 5 signed word, 6 word.
        const bool attached = vekgov::AttachDefinitions(
            profile,
            {{1, "IdleSpeed", 400, 1500, "rpm", 4, 0, 0, {}},
             {2, "Droop", 0, 100, "%", 1, 0x10, 0, {}},
             {3, "TempOffset", 0xFE0C, 500, "\xB0" "C", 5, 0x10, 0, {}},
             {4, "ActuatorPos", 0xFFCE, 1050, "%", 2, 0x18, 0, {}},
             {5, "CanNodeId", 0, 0xFF, "Hex", 6, 0x80, 0, {}},
             {6, "Flags", 0, 0xFFFF, "hex", 6, 0, 0, {}},
             {10, "LimitLow", 0, 2400, "rpm", 4, 0, 0, {}},
             {11, "LimitHigh", 0, 2400, "rpm", 4, 0, 0, {}},
             {12, "Setpoint", 10, 11, "rpm", 250, 0, 0, {}},
             {20, "Gain", 0, 1000, "", 2, 0x20, 2, {}},
             {10001, "IdleSpeedSet2", 400, 1500, "rpm", 4, 0, 0, {}},
             {2000, "Speed", 0, 4000, "rpm", 4, 0, 0, {}},
             {2001, "OilTemp", 0xFC18, 1500, "\xB0" "C", 5, 0x10, 0, {}},
             {4000, "BoostX", 0, 5000, "bar", 4, 0x30, 3, {}},
             {6000, "SpeedCurve", 0, 2400, "rpm", 4, 0, 15, {}}},
            error);
        EXPECT_TRUE(attached) << error;
        return profile;
    }

    void SetUp() override {
        const std::map<uint32_t, uint16_t> start = {
            {1, 750},   {2, 45},     {3, 0xFF85}, {4, 500},   {5, 0x3C},   {6, 0xBEEF}, {10, 100},
            {11, 2000}, {12, 1500},  {20, 150},   {21, 275},  {22, 1000},  {10001, 800}, {2000, 1234},
            {2001, 85}, {4000, 100}, {4001, 200}, {4002, 4500}, {4003, 5000}};
        for (const auto& [number, value] : start) vekgov::WriteValue(host_.Model(), number, value);
        for (uint32_t i = 0; i < 16; ++i) vekgov::WriteValue(host_.Model(), 6000 + i, static_cast<uint16_t>(i * 150));

        ASSERT_EQ(VekInit(), 1);
        ASSERT_EQ(VekReadAllParDef(), 1);
        ASSERT_EQ(VekDownloadPrmFile(Api(file_.u16string())), 1);
        saved_ = GovernorValues(host_.Model());
        ASSERT_EQ(saved_.size(), 35u);
        // Every value changes in the governor, and the library reads the changes.
        for (const auto& [number, value] : saved_) {
            vekgov::WriteValue(host_.Model(), number, static_cast<uint16_t>(value + 1));
        }
        changed_ = GovernorValues(host_.Model());
        ASSERT_EQ(VekReadAllValues(), 0);
        ASSERT_EQ(LibraryValues(), changed_);
    }

    vektest::LogCapture log_;
    vekgov::InProcessHost host_{Profile()};
    vektest::TempDir dir_;
    std::filesystem::path file_ = dir_ / "governor.prm";
    std::map<uint32_t, uint16_t> saved_;
    std::map<uint32_t, uint16_t> changed_;
};

TEST_F(PrmRoundTrip, LoadingTheSavedFileRestoresAllButTheMeasurements) {
    ASSERT_EQ(VekUploadPrmFile(Api(file_.u16string()), 0), 1) << log_.RawText();
    const std::map<uint32_t, uint16_t> governor = GovernorValues(host_.Model());
    const std::map<uint32_t, uint16_t> library = LibraryValues();
    for (const auto& [number, value] : governor) {
        const uint16_t expected = IsMeasurement(number) ? changed_.at(number) : saved_.at(number);
        EXPECT_EQ(value, expected) << number;
        EXPECT_EQ(library.at(number), expected) << number;
    }
}

TEST_F(PrmRoundTrip, AnOutOfRangeLastLineChangesNothing) {
    // The last value line (the highest number, on the second page) gets a
    // value far above its limit.
    std::string text = vektest::ReadFileBytes(file_);
    const std::size_t lastLine = text.rfind("\r\n", text.size() - 5) + 2;
    ASSERT_EQ(text.compare(lastLine, 8, " 10001 I"), 0) << text.substr(lastLine);
    const std::size_t valueStart = text.find_first_not_of(' ', text.find(" = ", lastLine) + 3);
    text.replace(valueStart, text.find(' ', valueStart) - valueStart, "99999");
    std::ofstream(file_, std::ios::binary | std::ios::trunc) << text;

    host_.Engine().Log().Clear();
    EXPECT_EQ(VekUploadPrmFile(Api(file_.u16string()), 0), 0);
    EXPECT_EQ(LibraryValues(), changed_);
    EXPECT_EQ(GovernorValues(host_.Model()), changed_);
    EXPECT_TRUE(host_.Engine().Log().Lines().empty());
    EXPECT_EQ(log_.Lines().back(), "Parameter value is out of range [99999] => 10001: IdleSpeedSet2  [400 .. 1500]");
}

TEST(PrmRawDumpTool, LeavesOutTheMeasurements) {
    if (!vektest::ToolBuilt()) GTEST_SKIP() << "the tool is not built";
    vektest::TempDir dir;
    const std::filesystem::path file = dir / "raw.txt";
    for (const char* values : {"", " --values"}) {
        const vektest::ToolRun run = vektest::RunTool("rawdump \"" + file.string() + "\"" + values);
        ASSERT_EQ(run.status, 0) << run.output;
        const std::string text = vektest::ReadFileBytes(file);
        EXPECT_EQ(text.rfind("# Brenvik raw data\r\n     1 IdleSpeed            = ", 0), 0u) << text;
        EXPECT_NE(text.find("\r\n  4000 BoostLimitX(0)       = "), std::string::npos);
        EXPECT_EQ(text.find("\r\n  2000 Speed"), std::string::npos);
        // Without --values the value column shows "-", with it the values read first.
        EXPECT_EQ(text.find("=     800 0320 rpm    \r\n") != std::string::npos, *values != 0) << text;
    }
}

}  // namespace
