// The service tool as its user runs it: output, exit status, reasons.
#include <gtest/gtest.h>

#include "support/ToolRun.hpp"

#include <string>
#include <utility>
#include <vector>

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

TEST_F(VekTool, FailuresEndWithOneLineAndTheirExitStatus) {
    struct Case {
        const char* arguments;
        int exitCode;  // 1 failed, 2 usage, 3 no connection
        const char* message;
    };
    const Case cases[] = {
        {"info --profile nope", 2, "vek: unknown simulator profile 'nope'"},
        {"info --baud fast", 2, "vek: --baud: Value fast not in range 1 to 4294967295 (see vek info --help)\n"},
        {"info --port", 2, "vek: --port: 1 required NAME missing (see vek info --help)\n"},
        {"frobnicate", 2, "vek: unknown command 'frobnicate' (see vek --help)\n"},
        {"info extra", 2, "vek: The following argument was not expected: extra (see vek info --help)\n"},
        {"--port /nonexistent/tty info", 3,
         "vek: connecting to the governor on /nonexistent/tty at 9600 baud failed: Win32 [2] CreateFile: No such file "
         "or directory; Failed to open port at 300 bauds\n"},
        // A file name that is not UTF-8 (Latin-1 "café") is refused, not turned into another name.
        {"save caf\xE9.prm", 1, "vek: 'caf\\xE9.prm' is not UTF-8 text\n"},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_EQ(run.output.rfind(c.message, 0), 0u) << c.arguments << ": " << run.output;
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << c.arguments << ": " << run.output;
    }
}

TEST_F(VekTool, HelpListsTheCommandsTheSharedOptionsAndTheExitStatuses) {
    const ToolRun run = RunTool("--help");
    EXPECT_EQ(run.status, 0);
    for (const char* text : {"\n  info ", "\n  diff ", "\n  cache ", "\n  --profile NAME=default ", "\n  --json ",
                             "\n  -q,--quiet ", "\n  --no-cache ", "\n  3  no connection to the governor\n"}) {
        EXPECT_NE(run.output.find(text), std::string::npos) << text << " in " << run.output;
    }
}

TEST_F(VekTool, EachCommandsHelpDocumentsEveryOptionWithItsDefault) {
    const std::pair<const char*, std::vector<const char*>> commands[] = {
        {"load", {"--tolerant", "--measurements", "--yes"}},
        {"watch", {"--interval MS=500", "--count N=0"}},
        {"errors", {"--memory", "--ack W1 W2", "--erase", "--configure-args ID|NAME"}},
        {"rawdump", {"--values", "Without --values no value is read"}},
        {"get", {"--raw"}},
        {"defs", {"--name TEXT", "--similar TEXT", "--threshold P:UINT in [0 - 100]=70", "--kind KIND"}},
        {"firmware", {"--yes"}},
    };
    for (const auto& [command, options] : commands) {
        const ToolRun run = RunTool(std::string(command) + " --help");
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.output.find(std::string("Usage: vek ") + command + " "), std::string::npos) << run.output;
        for (const char* option : options) {
            EXPECT_NE(run.output.find(option), std::string::npos) << command << ": " << option << " in " << run.output;
        }
        EXPECT_EQ(run.output.find("click-test"), std::string::npos) << run.output;
    }
}

}  // namespace
