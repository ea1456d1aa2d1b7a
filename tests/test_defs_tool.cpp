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
    const vektest::ToolRun run = RunTool("defs --progress");
    EXPECT_EQ(run.status, 0) << run.output;
    // Not a terminal, but asked for: one line per tenth of the download, one per stage.
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

    // Names are compared in any case.
    const vektest::ToolRun similar = RunTool("defs --similar maxspeed --threshold 70");
    EXPECT_EQ(similar.status, 0) << similar.output;
    EXPECT_TRUE(HasLine(similar.output,
                        "       3  MaxSpeed                       1000 .. 2400                rpm     100.0%"));
    EXPECT_TRUE(HasLine(similar.output,
                        "   10003  MaxSpeedSet2                   1000 .. 2400                rpm      80.0%"));
    EXPECT_EQ(LastLine(similar.output), "3 definitions at least 70% like 'maxspeed'");

    // A name finds the elements of its array.
    const vektest::ToolRun elements = RunTool("defs --name gainp");
    EXPECT_EQ(elements.status, 0) << elements.output;
    EXPECT_TRUE(HasLine(elements.output, "      20  GainP(0)                       0.00 .. 10.00")) << elements.output;
    EXPECT_EQ(LastLine(elements.output), "      22  GainP(2)                       0.00 .. 10.00");
}

TEST_F(DefsTool, FailuresEndWithOneReason) {
    const char* const cases[][2] = {
        {"defs --kind gizmos",
         "vek: --kind: gizmos not in {parameters,measurements,functions,curves} (see vek defs --help)"},
        {"defs --threshold 50", "vek: --threshold requires --similar (see vek defs --help)"},
        {"defs --similar x --threshold 101", "vek: --threshold: Value 101 not in range 0 to 100 (see vek defs --help)"},
        {"defs --name a --similar b", "vek: --name excludes --similar (see vek defs --help)"},
        {"defs --colour", "vek: The following argument was not expected: --colour (see vek defs --help)"},
        {"defs --name OilTemp --kind parameters", "vek: no definition named 'OilTemp'"},
    };
    for (const auto& [arguments, message] : cases) {
        const vektest::ToolRun run = RunTool(arguments);
        EXPECT_NE(run.status, 0) << arguments;
        EXPECT_EQ(LastLine(run.output), message) << arguments << ": " << run.output;
    }
}

}  // namespace
