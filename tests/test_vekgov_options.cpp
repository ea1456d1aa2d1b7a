// The command line of vekgov: fault switches and the options that shape the
// line.
#include "VekgovOptions.hpp"

#include <gtest/gtest.h>

namespace {

using vekgov::Fault;
using vekgov::FaultSwitch;

FaultSwitch ParseFault(const std::string& text) {
    std::string error;
    const std::optional<FaultSwitch> parsed = vekgov::ParseFaultSwitch(text, error);
    EXPECT_TRUE(parsed) << text << ": " << error;
    return parsed.value_or(FaultSwitch{vekgov::InjectedFault(Fault::Silence), std::nullopt, 0});
}

std::string FaultError(const std::string& text) {
    std::string error;
    EXPECT_FALSE(vekgov::ParseFaultSwitch(text, error)) << text;
    return error;
}

std::optional<vekgov::VekgovOptions> Parse(std::vector<std::string> args, std::string& error) {
    return vekgov::ParseVekgovOptions(args, error);
}

TEST(VekgovFaultSwitch, NamesFaultArgumentCommandAndCount) {
    const FaultSwitch cut = ParseFault("cut-short:1@0x01*all");
    EXPECT_EQ(cut.fault.fault, Fault::CutShort);
    EXPECT_EQ(cut.fault.Argument(), 1u);
    EXPECT_EQ(cut.command, std::optional<uint8_t>(0x01));
    EXPECT_EQ(cut.count, vekgov::kForever);

    const FaultSwitch silence = ParseFault("silence@89");
    EXPECT_EQ(silence.command, std::optional<uint8_t>(0x59));
    EXPECT_EQ(silence.count, 1u);
    EXPECT_FALSE(silence.fault.argument);  // the table's default applies

    const FaultSwitch garbage = ParseFault("garbage:0xAA#3");
    EXPECT_EQ(garbage.fault.Argument(), 0xAAu);
    EXPECT_FALSE(garbage.command);
    EXPECT_EQ(garbage.count, 3u);

    EXPECT_EQ(ParseFault("wrong-checksum@0x02*4").count, 4u);
}

TEST(VekgovFaultSwitch, RefusesWhatItCannotPlace) {
    EXPECT_NE(FaultError("bogus@0x01").find("known: silence, cut-short"), std::string::npos);
    EXPECT_NE(FaultError("silence").find("@COMMAND or #EXCHANGE"), std::string::npos);
    for (const char* text : {"silence@0x100", "silence@", "silence@-1", "silence#0", "silence@1*0", "silence@1*x",
                             "cut-short:x@1", "cut-short:@1"}) {
        FaultError(text);
    }
}

TEST(VekgovFaultSwitch, AddsRulesThatFireWhenTold) {
    vekgov::FaultPlan plan;
    vekgov::AddFaults({ParseFault("garbage#2"), ParseFault("silence@0x09*all")}, plan);
    EXPECT_FALSE(plan.Next(0x01));
    const auto second = plan.Next(0x02);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->fault, Fault::Garbage);
    for (int i = 0; i < 3; ++i) {
        const auto checksum = plan.Next(0x09);
        ASSERT_TRUE(checksum);
        EXPECT_EQ(checksum->fault, Fault::Silence);
    }
}

TEST(VekgovOptions, ReadsTheLineOptions) {
    std::string error;
    auto options = Parse({"--profile", "hw5", "--line-speed", "--log=-", "--link", "/tmp/com5", "--fault",
                          "silence@1", "--still", "--seed=7"},
                         error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->profile, "hw5");
    EXPECT_TRUE(options->pace);
    EXPECT_EQ(options->paceRate, 0u);  // the host's rate
    EXPECT_EQ(options->logFile, "-");
    EXPECT_EQ(options->link, "/tmp/com5");
    EXPECT_EQ(options->faults.size(), 1u);
    EXPECT_TRUE(options->still);
    EXPECT_EQ(options->seed, 7u);

    options = Parse({"--line-speed=19200", "--device", "/dev/ttyS1", "--definitions=defs.txt"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->paceRate, 19200u);
    EXPECT_EQ(options->device, "/dev/ttyS1");
    EXPECT_EQ(options->definitionFile, "defs.txt");
}

TEST(VekgovOptions, ProfileSettingsReplaceTheProfilesOwn) {
    std::string error;
    const auto options = Parse({"--boot-time", "250", "--busy-erase=3", "--read-block", "7"}, error);
    ASSERT_TRUE(options) << error;
    vekgov::DeviceProfile profile;
    profile.bootTimeMs = 1500;
    vekgov::ApplyProfileSettings(*options, profile);
    EXPECT_EQ(profile.bootTimeMs, 250u);
    EXPECT_EQ(profile.firmware.eraseBusyAnswers, 3u);
    EXPECT_EQ(profile.valueReadBlockValues, 7u);

    vekgov::DeviceProfile untouched;
    untouched.bootTimeMs = 1500;
    vekgov::ApplyProfileSettings(*Parse({}, error), untouched);
    EXPECT_EQ(untouched.bootTimeMs, 1500u);

    EXPECT_FALSE(Parse({"--read-block", "70000"}, error));
    EXPECT_EQ(error, "--read-block takes a number from 0 to 65535");
    EXPECT_FALSE(Parse({"--boot-time", "soon"}, error));
}

TEST(VekgovOptions, RefusesMistakesWithAReason) {
    std::string error;
    EXPECT_FALSE(Parse({"--profile", "nonesuch"}, error));
    EXPECT_NE(error.find("unknown profile 'nonesuch' (known: default"), std::string::npos) << error;
    EXPECT_FALSE(Parse({"--line-speed=0"}, error));
    EXPECT_FALSE(Parse({"--log"}, error));
    EXPECT_EQ(error, "--log needs a value");
    EXPECT_FALSE(Parse({"--device", "/dev/ttyS1", "--link", "/tmp/com5"}, error));
    EXPECT_FALSE(Parse({"--baud", "9600"}, error));
    EXPECT_EQ(error, "unknown option '--baud'");
}

}  // namespace
