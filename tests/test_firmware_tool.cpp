// The service tool's firmware, service and page commands against its
// built-in simulated governor, as a user runs them.
#include "support/TempDir.hpp"
#include "support/ToolRun.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cases = std::vector<std::pair<std::string, std::string>>;

class ServiceTool : public vektest::ToolTest {
protected:
    // Each command line ends with its status (0 or not) and prints its text.
    static void Expect(const Cases& cases, bool succeeds) {
        for (const auto& [arguments, text] : cases) {
            const vektest::ToolRun run = vektest::RunTool(arguments);
            EXPECT_EQ(run.status == 0, succeeds) << arguments << ": " << run.output;
            EXPECT_NE(run.output.find(text), std::string::npos) << arguments << ": " << run.output;
        }
    }
};

TEST_F(ServiceTool, FirmwareIsUploadedWithProgressAndTheGovernorComesBack) {
    vektest::TempDir dir;
    const std::string image = (dir / "image.bin").string();
    std::ofstream(image, std::ios::binary) << std::string(20000, '\x5A');
    const vektest::ToolRun run = vektest::RunTool("firmware --progress --yes \"" + image + "\"");
    EXPECT_EQ(run.status, 0) << run.output;
    const std::vector<std::string> texts = {"Erasing firmware\n", "Uploading firmware (100%)\nWaiting for reset\n",
                                            "Uploaded " + image + " into the simulated governor (profile default)\n"};
    for (const std::string& text : texts) {
        EXPECT_NE(run.output.find(text), std::string::npos) << text << " in: " << run.output;
    }
    Expect({{"firmware", "vek: file is required (see vek firmware --help)\n"},
            {"firmware /no/such.bin", "vek: firmware: cannot read /no/such.bin: No such file or directory\n"}},
           false);
}

TEST_F(ServiceTool, ServiceCommandsReportWhatTheGovernorDid) {
    Expect({{"store", "The governor stored its parameter values\n"},
            {"click-test start", "Click test started\n"},
            {"click-test stop", "Click test stopped\n"},
            {"auto-adjust --profile hw5", "Actuator auto-adjustment started\n"},
            {"clear-operating-data", "The governor cleared its operating data\n"},
            {"reset", "The governor restarted and is connected again\n"},
            {"page 1", "Active parameter page: 1\n"},
            {"page --profile hw21", "The simulated governor (profile hw21) has no parameter pages\n"}},
           true);
    // A missing feature is named before anything is sent.
    Expect({{"click-test start --profile hw5",
             "vek: click-test: the simulated governor (profile hw5) offers no click test (its device record lacks "
             "the click test feature)\n"},
            {"auto-adjust",
             "vek: auto-adjust: the simulated governor (profile default) offers no actuator auto-adjustment (its "
             "device record names the click test feature, which takes its place)\n"},
            {"click-test", "vek: action is required (see vek click-test --help)\n"},
            {"store now", "vek: The following argument was not expected: now (see vek store --help)\n"},
            {"page 7", "vek: activating page 7 failed: Failed to activate the new parameters page\n"},
            {"page 65536", "vek: page: Value 65536 not in range 0 to 65535 (see vek page --help)\n"}},
           false);
}

}  // namespace
