// vek get, set and values against the built-in simulated governor: what
// they print and the one line with which they give up.
#include "support/ToolRun.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using vektest::HasLine;
using vektest::LastLine;
using vektest::RunTool;

class ValuesTool : public vektest::ToolTest {};

TEST_F(ValuesTool, GetShowsRealValuesWithUnitOrRawWords) {
    const vektest::ToolRun real = RunTool("get IdleSpeed 120 TempLimitLow");
    EXPECT_EQ(real.status, 0) << real.output;
    EXPECT_EQ(real.output.rfind("IdleSpeed (1) = 800 rpm\n", 0), 0u) << real.output;
    EXPECT_TRUE(HasLine(real.output, "CanNodeId (120) = 01 Hex")) << real.output;
    EXPECT_EQ(LastLine(real.output), "TempLimitLow (103) = -20.0 \xC2\xB0" "C");

    const vektest::ToolRun raw = RunTool("get 1 --raw");
    EXPECT_EQ(raw.status, 0) << raw.output;
    EXPECT_EQ(LastLine(raw.output), "IdleSpeed (1) = 0x0320 (800)");
}

TEST_F(ValuesTool, SetWritesTheParsedValueAndShowsWhatTheGovernorHolds) {
    const vektest::ToolRun run = RunTool("set IdleSpeed \"1'200\"");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(LastLine(run.output), "IdleSpeed (1) = 1200 rpm");
    const vektest::ToolRun negative = RunTool("set TempOffset -2,45");
    EXPECT_EQ(negative.status, 0) << negative.output;
    EXPECT_EQ(LastLine(negative.output), "TempOffset (128) = -2.4 \xC2\xB0" "C");  // -24.5 raw, to even
}

TEST_F(ValuesTool, EachFailureIsOneClearLineWithItsExitStatus) {
    struct Case {
        const char* arguments;
        int exitCode;  // 1 failed, 2 usage
        const char* line;
    };
    const Case cases[] = {
        {"set IdleSpeed 99999", 1,
         "vek: set: '99999' is not a valid value for IdleSpeed (1) (allowed 400 .. 1500 rpm)"},
        {"set IdleSpeed 4OO", 1, "vek: set: '4OO' is not a valid value for IdleSpeed (1) (allowed 400 .. 1500 rpm)"},
        {"set Nothing 1", 1, "vek: set: no definition named 'Nothing'"},
        // A measurement is the governor's: nothing is written, nothing shown as if it were.
        {"set speed 100", 1, "vek: set: Speed (2000) is a measurement: the governor measures it, it cannot be set"},
        {"set IdleSpeed", 2, "vek: value is required (see vek set --help)"},
        {"get 99999999999", 1, "vek: get: no definition numbered 99999999999"},
        {"get", 2, "vek: items is required (see vek get --help)"},
        {"values --kind gauges", 2,
         "vek: --kind: gauges not in {parameters,measurements,functions,curves} (see vek values --help)"},
    };
    for (const Case& c : cases) {
        const vektest::ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_EQ(LastLine(run.output), c.line) << c.arguments << "\n" << run.output;
    }
}

TEST_F(ValuesTool, ValuesListsOneKindAfterItsDownloadProgress) {
    const vektest::ToolRun run = RunTool("values --kind parameters --progress");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(HasLine(run.output, "Downloading parameters values... (0 parameters loaded)")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "Downloading parameters values... (62 parameters loaded)")) << run.output;
    EXPECT_EQ(run.output.find("Downloading measures values..."), std::string::npos);
    EXPECT_TRUE(HasLine(run.output, "  Number  Name                                    Value  Unit")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "       1  IdleSpeed                                 800  rpm")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "     120  CanNodeId                                  01  Hex")) << run.output;
    EXPECT_EQ(run.output.find("  2000  Speed"), std::string::npos);
    EXPECT_NE(LastLine(run.output).find(" values"), std::string::npos);
}

}  // namespace
