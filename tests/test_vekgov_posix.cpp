// vekgov as a program: the library connects to it through the real serial
// port, it follows the rate change, logs each exchange, injects the faults
// it is told, and the service tool talks to it as to the built-in governor.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/SerialReset.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

#if defined(VEKGOV_PATH)

// vekgov with the given options, stopped (and its exit status kept) at the end.
class Vekgov {
public:
    explicit Vekgov(std::vector<std::string> options) {
        std::vector<std::string> words{VEKGOV_PATH};
        words.insert(words.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid_, VEKGOV_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n') path_ += c;  // the first line names the line
        close(out[0]);
    }
    ~Vekgov() { Stop(); }
    const std::string& Path() const { return path_; }
    std::u16string Port() const { return std::u16string(path_.begin(), path_.end()); }
    // Stops it as an interrupt does; its exit status.
    int Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, &status_, 0);
            pid_ = -1;
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

private:
    pid_t pid_ = -1;
    int status_ = 0;
    std::string path_;
};

std::vector<std::string> FileLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::istringstream in(vektest::ReadFileBytes(file));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class VekgovProgram : public ::testing::Test {
protected:
    void SetUp() override { vektest::ResetSerialPort(); }
    void TearDown() override { vektest::ResetSerialPort(); }
    bool Configure(const std::u16string& port, uint32_t baud) {
        return VekConfigureSerialStream(reinterpret_cast<const VekChar*>(port.c_str()), baud) == 1;
    }
    vektest::TempDir dir;
    vektest::LogCapture log;
};

TEST_F(VekgovProgram, ServesTheLibraryThroughItsLinkAndLogsEachExchange) {
    const std::filesystem::path link = dir / "com5";
    const std::filesystem::path exchanges = dir / "exchanges.log";
    Vekgov vekgov({"--link", link.string(), "--log", exchanges.string()});
    ASSERT_FALSE(vekgov.Path().empty());
    ASSERT_EQ(std::filesystem::read_symlink(link), vekgov.Path());

    const std::string linkPath = link.string();
    ASSERT_TRUE(Configure(std::u16string(linkPath.begin(), linkPath.end()), 9600));
    ASSERT_EQ(VekInit(), 1) << log.RawText();
    VekClose();
    EXPECT_EQ(vekgov.Stop(), 0);

    const std::vector<std::string> lines = FileLines(exchanges);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "- host rate 300 baud");
    EXPECT_EQ(lines[1], "> 00 (dropped: wake-up)");
    EXPECT_EQ(lines[2], "> 00 (dropped: wake-up)");
    EXPECT_EQ(lines[3], "- host rate 9600 baud");
    EXPECT_EQ(lines[4], "> 01 55 AA < 59 AC");
    EXPECT_FALSE(std::filesystem::is_symlink(link));  // removed on the way out
}

TEST_F(VekgovProgram, FollowsTheRateChangeAndDropsBytesAtAnotherRate) {
    const std::filesystem::path exchanges = dir / "exchanges.log";
    Vekgov vekgov({"--log", exchanges.string()});
    ASSERT_TRUE(Configure(vekgov.Port(), 19200));
    ASSERT_EQ(VekInit(), 1) << log.RawText();
    VekClose();

    // A host that stays at the start rate after the change is not heard.
    SerialStream* s = VekGetStream();
    ASSERT_EQ(s->Open(s), 1);
    const uint8_t synchronize[] = {0x01, 0x55, 0xAA};
    const uint8_t announce[] = {0x51, 0x7C};
    const uint8_t toRate19200[] = {0x51, 0x04};
    uint8_t status[2] = {};
    ASSERT_EQ(s->Write(s, synchronize, 3), 1);
    ASSERT_EQ(s->Read(s, status, 2), 1);
    ASSERT_EQ(s->Write(s, announce, 2), 1);
    ASSERT_EQ(s->Read(s, status, 2), 1);
    ASSERT_EQ(s->Write(s, toRate19200, 2), 1);
    ASSERT_EQ(s->Read(s, status, 2), 1);
    s->SetTimeout(s, 300);
    ASSERT_EQ(s->Write(s, synchronize, 3), 1);
    EXPECT_EQ(s->Read(s, status, 2), 0);
    vekgov.Stop();

    const std::vector<std::string> lines = FileLines(exchanges);
    EXPECT_TRUE(Has(lines, "> 51 04 < 00 00"));
    EXPECT_EQ(lines.back(), "> 01 55 AA (dropped: sent at 9600 baud, heard at 19200)");
}

TEST_F(VekgovProgram, InjectsTheFaultsItIsGiven) {
    Vekgov vekgov({"--fault", "cut-short:1@0x01*all"});
    ASSERT_TRUE(Configure(vekgov.Port(), 9600));
    EXPECT_EQ(VekInit(), 0);
    EXPECT_TRUE(log.Contains(
        "Read error after 1200 msec (received 1 [B], expected 2 [B], remained 1 [B] and result 1)"))
        << log.RawText();
}

#if defined(VEK_TOOL_PATH)
std::string ToolOutput(const std::string& arguments) {
    const std::string command = std::string("\"") + VEK_TOOL_PATH + "\" " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    if (pipe) pclose(pipe);
    return output;
}

// Everything after the first line, which names the governor.
std::string AfterFirstLine(const std::string& text) {
    const size_t end = text.find('\n');
    return end == std::string::npos ? "" : text.substr(end + 1);
}

TEST_F(VekgovProgram, TheToolOnItsPortTellsWhatTheBuiltInGovernorTells) {
    Vekgov vekgov({});
    const std::string overPort = ToolOutput("info --port " + vekgov.Path());
    const std::string builtIn = ToolOutput("info");
    EXPECT_EQ(overPort.rfind("Connected to the governor on " + vekgov.Path(), 0), 0u) << overPort;
    EXPECT_EQ(AfterFirstLine(overPort), AfterFirstLine(builtIn));
}
#endif

#endif  // VEKGOV_PATH

}  // namespace
