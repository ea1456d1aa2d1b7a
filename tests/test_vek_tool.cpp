// The service tool as its user runs it: output, exit status, reasons.
#include <gtest/gtest.h>

#include "support/ToolRun.hpp"

#include <string>

namespace {

using vektest::HasLine;
using vektest::RunTool;
using vektest::ToolRun;

class VekTool : public vektest::ToolTest {};

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
    // A long synopsis moves its summary to the next line, under the column.
    EXPECT_NE(run.output.find("  watch ID|NAME... [--interval MS] [--count N]\n"
                              "                         sample up to 16 values"),
              std::string::npos)
        << run.output;
}

TEST_F(VekTool, CommandHelpShowsThatCommandAlone) {
    const ToolRun run = RunTool("page --help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind("usage: vek page [N] [--port NAME]", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("\nshow the active parameter page, or activate page N\n"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("click-test"), std::string::npos) << run.output;
}

}  // namespace
