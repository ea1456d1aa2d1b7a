// The service tool as a daily instrument: results alone on standard output,
// the definition cache, the library's reason for a failed load, loads that
// keep what the file does not name, diff, and JSON.
#include "support/GovernorLine.hpp"
#include "support/TempDir.hpp"
#include "support/ToolRun.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#if defined(VEK_TOOL_PATH)
#include <nlohmann/json.hpp>
#endif

namespace {

using vektest::LastLine;
using vektest::RunTool;
using vektest::RunToolApart;
using vektest::TempDir;
using vektest::ToolRun;

class ToolInstrument : public vektest::ToolTest {
protected:
    std::string Quoted(const std::string& name) const { return "\"" + (dir_ / name).string() + "\""; }

    // A parameter file saved from the governor, with text replaced.
    std::string SavedWith(const std::string& port, const std::string& from, const std::string& to) {
        const ToolRun save = RunTool(port + " save " + Quoted("saved.prm"));
        EXPECT_EQ(save.status, 0) << save.output;
        std::string text = vektest::ReadFileBytes(dir_ / "saved.prm");
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        std::ofstream(dir_ / "changed.prm", std::ios::binary) << text;
        return Quoted("changed.prm");
    }

    TempDir dir_;
};

constexpr const char* kIdleSpeedLine = "     1 IdleSpeed            =     800 rpm";

TEST_F(ToolInstrument, OnlyTheResultGoesToStandardOutput) {
    const ToolRun run = RunToolApart("get 1");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.output, "IdleSpeed (1) = 800 rpm\n");
    EXPECT_EQ(run.errors, "");  // no terminal, no --progress: no progress
}

TEST_F(ToolInstrument, DamagedCacheEntryIsReportedOnceAndRepaired) {
    ASSERT_EQ(RunTool("get 1").status, 0);
    std::vector<std::filesystem::path> entries;
    for (const auto& item : std::filesystem::directory_iterator(vektest::ToolCacheFolder())) entries.push_back(item);
    ASSERT_EQ(entries.size(), 1u);
    const std::string good = vektest::ReadFileBytes(entries[0]);
    std::string bad = good;
    bad[bad.size() / 2] ^= 0x40;
    std::ofstream(entries[0], std::ios::binary | std::ios::trunc) << bad;

    const ToolRun repaired = RunToolApart("get 1");
    EXPECT_EQ(repaired.output, "IdleSpeed (1) = 800 rpm\n");
    EXPECT_EQ(repaired.errors,
              "vek: warning: the cached definitions are damaged (its checksum is wrong); downloading them again\n");
    EXPECT_EQ(vektest::ReadFileBytes(entries[0]), good);

    std::ofstream(entries[0], std::ios::binary | std::ios::trunc) << good.substr(0, 100);
    const ToolRun cut = RunToolApart("get 1");
    EXPECT_NE(cut.errors.find("its size does not match its record count (100 bytes)"), std::string::npos)
        << cut.errors;
    EXPECT_EQ(RunToolApart("get 1").errors, "");
    const ToolRun listed = RunTool("cache list");
    EXPECT_NE(listed.output.find("kind 3, hardware 2310, software 52123 extension 2, 438 definitions"),
              std::string::npos)
        << listed.output;
}

TEST_F(ToolInstrument, FailedLoadGivesTheLibrarysReason) {
    const std::string file = SavedWith("", kIdleSpeedLine, "     1 IdleSpeed            =   99999 rpm");
    const ToolRun run = RunTool("load " + file);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LastLine(run.output), "vek: load " + (dir_ / "changed.prm").string() +
                                        " failed: Parameter value is out of range [99999] => 1: IdleSpeed [400 .. 1500]");
}

// Against one governor for the whole test: a pseudo-terminal served by this
// process (COM5 under Wine).
TEST_F(ToolInstrument, LoadKeepsWhatTheFileDoesNotNameAndDiffNamesTheChange) {
    const vektest::GovernorLine line(vektest::LineKind::Healthy);
    if (!line.Unavailable().empty()) GTEST_SKIP() << line.Unavailable();
    const std::string port = "--port " + std::string(line.PortName().begin(), line.PortName().end());
    SavedWith(port, "", "");
    const std::string saved = Quoted("saved.prm");
    // The file's head and one value line.
    const std::string text = vektest::ReadFileBytes(dir_ / "saved.prm");
    std::ofstream(dir_ / "one.prm", std::ios::binary)
        << text.substr(0, text.find(kIdleSpeedLine)) << "     1 IdleSpeed            =     500 rpm\r\n";

    EXPECT_EQ(RunTool(port + " diff " + saved).output, "No differences\n");
    const ToolRun load = RunTool(port + " load " + Quoted("one.prm"));
    EXPECT_EQ(load.exitCode, 0) << load.output;
    EXPECT_EQ(RunTool(port + " get RatedSpeed --raw").output, "RatedSpeed (2) = 0x05DC (1500)\n");

    const ToolRun governor = RunTool(port + " diff " + saved);
    EXPECT_EQ(governor.exitCode, 1);
    EXPECT_EQ(governor.output, "left:  " + (dir_ / "saved.prm").string() +
                                   "\n"
                                   "right: governor\n"
                                   "  Number  Name                                     left           right  Unit\n"
                                   "       1  IdleSpeed                                 800             500  rpm\n"
                                   "1 difference\n");
    const ToolRun files = RunTool(port + " diff " + saved + " " + Quoted("one.prm"));
    EXPECT_EQ(files.exitCode, 1);
    EXPECT_NE(files.output.find("       1  IdleSpeed "), std::string::npos) << files.output;
    EXPECT_EQ(LastLine(files.output), "1 difference");

    EXPECT_EQ(RunTool(port + " load " + saved).exitCode, 0);  // as it was, for the next test on the line
}

#if defined(VEK_TOOL_PATH)
TEST_F(ToolInstrument, JsonInfoParsesAndWatchPrintsOneObjectPerSample) {
    const ToolRun info = RunToolApart("--json info");
    ASSERT_EQ(info.exitCode, 0) << info.errors;
    const nlohmann::json record = nlohmann::json::parse(info.output);
    EXPECT_EQ(record["device"]["hardware"]["version"], 2310);
    EXPECT_EQ(record["identification"]["ppsNumber"], "123-45-678-09-B");

    const ToolRun watch = RunToolApart("watch Speed OilTemp --json --count 3 --interval 10");
    ASSERT_EQ(watch.exitCode, 0) << watch.errors;
    std::istringstream lines(watch.output);
    std::string sample;
    int count = 0;
    while (std::getline(lines, sample)) {
        const nlohmann::json object = nlohmann::json::parse(sample);
        EXPECT_TRUE(object["stamp"].is_number_unsigned()) << sample;
        EXPECT_EQ(object["values"][1]["name"], "OilTemp") << sample;
        EXPECT_EQ(object["values"][1]["unit"], "\xC2\xB0" "C") << sample;
        EXPECT_TRUE(object["values"][0]["value"].is_number()) << sample;
        ++count;
    }
    EXPECT_EQ(count, 3);
}
#endif

}  // namespace
