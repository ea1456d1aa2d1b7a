// vek defs against the built-in simulated governors: the listing, the
// filters and the reasons it gives up.
#include "support/ToolRun.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using vektest::HasLine;
using vektest::LastLine;
using vektest::RunTool;

class DefsTool : public vektest::ToolTest {};

TEST_F(DefsTool, ListsEveryDefinitionWithPlainProgressLines) {
    const vektest::ToolRun run = RunTool("defs");
    EXPECT_EQ(run.status, 0) << run.output;
    // Not a terminal: one line per tenth of the download, one per stage.
    EXPECT_TRUE(HasLine(run.output, "Downloading parameters definition (100%)")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "Parameter lists validated!")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "       1  IdleSpeed                      400 .. 1500                 rpm"));
    EXPECT_TRUE(HasLine(run.output, "     102  SpeedSetpointUser              values of 100 .. 101        rpm"));
    EXPECT_TRUE(HasLine(run.output, "     120  CanNodeId                      00 .. FF                    Hex"));
    EXPECT_TRUE(HasLine(run.output, "    2006  OilTemp                        -40.0 .. 150.0              \xC2\xB0" "C"));
    // All of them: "N of N definitions".
    const std::string summary = LastLine(run.output);
    const std::string count = summary.substr(0, summary.find(' '));
    EXPECT_EQ(summary, count + " of " + count + " definitions");
}

TEST_F(DefsTool, FiltersByKindNameAndSimilarity) {
    const vektest::ToolRun curves = RunTool("defs --kind curves --profile wide");
    EXPECT_EQ(curves.status, 0) << curves.output;
    EXPECT_TRUE(HasLine(curves.output, "    6095  GainCurve(15)                  0.00 .. 10.00"));
    EXPECT_EQ(LastLine(curves.output).rfind("80 of ", 0), 0u) << curves.output;

    const vektest::ToolRun byName = RunTool("defs --name oiltemp --kind measurements");
    EXPECT_EQ(byName.status, 0) << byName.output;
    EXPECT_EQ(LastLine(byName.output), "    2006  OilTemp                        -40.0 .. 150.0              \xC2\xB0" "C");

    const vektest::ToolRun similar = RunTool("defs --similar maxspeed --threshold 60");
    EXPECT_EQ(similar.status, 0) << similar.output;
    EXPECT_TRUE(HasLine(similar.output,
                        "       3  MaxSpeed                       1000 .. 2400                rpm      75.0%"));
    EXPECT_TRUE(HasLine(similar.output,
                        "   10003  MaxSpeedSet2                   1000 .. 2400                rpm      60.0%"));
    EXPECT_EQ(LastLine(similar.output), "3 definitions at least 60% like 'maxspeed'");
}

TEST_F(DefsTool, FailuresEndWithOneReason) {
    const char* const cases[][2] = {
        {"defs --kind gizmos", "vek: unknown kind 'gizmos' (parameters, measurements, functions or curves)"},
        {"defs --threshold 50", "vek: defs: --threshold goes with --similar"},
        {"defs --similar x --threshold 101", "vek: invalid threshold '101' (0 to 100 percent)"},
        {"defs --name a --similar b", "vek: defs: give --name or --similar, not both"},
        {"defs --colour red", "vek: defs: unknown argument '--colour'"},
        {"defs --name OilTemp --kind parameters", "vek: no definition named 'OilTemp'"},
    };
    for (const auto& [arguments, message] : cases) {
        const vektest::ToolRun run = RunTool(arguments);
        EXPECT_NE(run.status, 0) << arguments;
        EXPECT_EQ(LastLine(run.output), message) << arguments << ": " << run.output;
    }
}

}  // namespace
