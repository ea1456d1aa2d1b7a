// vek errors --memory, --ack, --erase and --configure-args against the
// built-in simulated governors.
#include <gtest/gtest.h>

#include <string>

#include "support/ToolRun.hpp"

namespace {

using vektest::HasLine;
using vektest::RunTool;

class ErrorMemoryTool : public vektest::ToolTest {};

TEST_F(ErrorMemoryTool, MemoryListsTheRecordsWithTimesWordsAndNamedArguments) {
    const vektest::ToolRun run = RunTool("errors --memory --profile default");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.rfind("Error memory of the simulated governor (profile default): 5 records, format 1\n", 0), 0u)
        << run.output;
    EXPECT_TRUE(HasLine(
        run.output,
        "Recorded arguments: Speed (2000), SupplyVoltage (2008), CoolantTemp (2007), HourCounter (2014)"))
        << run.output;
    EXPECT_TRUE(HasLine(run.output,
                        "  3102  ErrOverspeed              1180:12:05  1201:47:59     3  0002 0000           "
                        "Speed=2250 rpm, SupplyVoltage=24.5 V, CoolantTemp=88.0 \xC2\xB0"
                        "C, HourCounter=1180 h"))
        << run.output;
    EXPECT_NE(run.output.find("  3107  ErrSupplyLow              1234:30:15  1234:30:15     1  0001 0000 "),
              std::string::npos)
        << run.output;
}

TEST_F(ErrorMemoryTool, SecondArgumentSetIsShownWhenTheRecordsHoldIt) {
    const vektest::ToolRun wide = RunTool("errors --memory --profile wide");
    EXPECT_EQ(wide.status, 0) << wide.output;
    EXPECT_NE(wide.output.find("last: Speed=2310 rpm, SupplyVoltage=24.3 V"), std::string::npos)
        << wide.output;
    const vektest::ToolRun narrow = RunTool("errors --memory --profile hw21");
    EXPECT_EQ(narrow.status, 0) << narrow.output;
    EXPECT_NE(narrow.output.find("0002 0000 0001 0002 Speed=2250 rpm"), std::string::npos) << narrow.output;
    EXPECT_EQ(narrow.output.find("last:"), std::string::npos) << narrow.output;
}

TEST_F(ErrorMemoryTool, BasicMemoryListsTheErrorWords) {
    const vektest::ToolRun run = RunTool("errors --memory --profile plain");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  3102  ErrOverspeed                 2")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "  3106  ErrActuatorDrift             3")) << run.output;
}

TEST_F(ErrorMemoryTool, OperationsReportWhatTheGovernorSaid) {
    struct Case {
        const char* arguments;
        int succeeds;
        const char* line;
    };
    const Case cases[] = {
        {"errors --ack 3102 3", 1, "Acknowledged 3102 3\n"},
        {"errors --ack 3102 2", 0, "vek: acknowledging 3102 2 failed: Failed to acknowledge the error\n"},
        {"errors --ack 3102", 0, "vek: --ack: At least 2 required but received 1 (see vek errors --help)\n"},
        {"errors --erase", 1, "Error memory erased\n"},
        {"errors --configure-args Speed 2008", 1, "Recorded arguments: Speed, SupplyVoltage\n"},
        {"errors --configure-args 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17", 0,
         "vek: configuring the error memory arguments failed: VekConfigureErrorMemoryArgs: invalid count 17\n"},
        {"errors --memory --profile bootloader", 0,
         "vek: errors: the simulated governor (profile bootloader) is in its boot loader, where it keeps no error "
         "memory\n"},
    };
    for (const Case& c : cases) {
        const vektest::ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.status == 0, c.succeeds == 1) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.line), std::string::npos) << c.arguments << "\n" << run.output;
    }
}

}  // namespace
