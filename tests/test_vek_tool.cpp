// The service tool as its user runs it: output, exit status, reasons.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#endif

namespace {

struct ToolRun {
    std::string output;  // standard output and standard error together
    int status = -1;
};

ToolRun RunTool(const std::string& arguments) {
#if defined(VEK_TOOL_PATH)
    const std::string command = std::string("\"") + VEK_TOOL_PATH + "\" " + arguments + " 2>&1";
    ToolRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    run.status = pclose(pipe);
    return run;
#else
    (void)arguments;
    return {};
#endif
}

class VekTool : public ::testing::Test {
protected:
    void SetUp() override {
#if !defined(VEK_TOOL_PATH)
        GTEST_SKIP() << "the tool is not built";
#endif
    }
};

bool HasLine(const std::string& output, const std::string& line) {
    return output.find("\n" + line + "\n") != std::string::npos;
}

TEST_F(VekTool, InfoPrintsTheDefaultSimulatedGovernor) {
    const ToolRun run = RunTool("info");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.rfind("Connected to the simulated governor (profile default)\n", 0), 0u)
        << run.output;
    EXPECT_TRUE(HasLine(run.output, "  Hardware             23.10 (2310)")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  Software             5.21.23 (52123)")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  Serial date          13 07")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  Serial number        00042")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  PPS number           123-45-678-09-B")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  Board number         13 27-087672")) << run.output;
    EXPECT_TRUE(HasLine(run.output,
                        "  Features             0x000F (error memory kind 3, identification, click test)"))
        << run.output;
}

TEST_F(VekTool, InfoShowsTheBootLoader) {
    const ToolRun run = RunTool("info --profile bootloader --baud 57600");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  Boot loader          yes")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  Features             0x0002 (error memory kind 2)")) << run.output;
}

TEST_F(VekTool, FailuresEndWithOneLineAndANonZeroStatus) {
    const char* const cases[][2] = {
        {"info --profile nope", "vek: unknown simulator profile 'nope'"},
        {"info --baud fast", "vek: invalid baud rate 'fast'\n"},
        {"info --port", "vek: option --port needs a value\n"},
        {"frobnicate", "vek: unknown command 'frobnicate' (see vek --help)\n"},
        {"info extra", "vek: info takes no arguments\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const ToolRun run = RunTool(arguments);
        EXPECT_NE(run.status, 0) << arguments;
        EXPECT_EQ(run.output.rfind(message, 0), 0u) << arguments << ": " << run.output;
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << arguments << ": " << run.output;
    }
}

TEST_F(VekTool, HelpListsTheCommandsAndOptions) {
    const ToolRun run = RunTool("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("  info "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("--profile NAME"), std::string::npos) << run.output;
}

}  // namespace
