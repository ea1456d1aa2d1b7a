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
    const vektest::ToolRun run = vektest::RunTool("firmware \"" + image + "\"");
    EXPECT_EQ(run.status, 0) << run.output;
    const std::vector<std::string> texts = {"Erasing firmware\n", "Uploading firmware (100%)\nWaiting for reset\n",
                                            "Uploaded " + image + " into the simulated governor (profile default)\n"};
    for (const std::string& text : texts) {
        EXPECT_NE(run.output.find(text), std::string::npos) << text << " in: " << run.output;
    }
    Expect({{"firmware", "vek: firmware needs one file: firmware FILE\n"},
            {"firmware /no/such.bin", "vek: the firmware upload of /no/such.bin failed (see --log FILE)\n"}},
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
    Expect({{"click-test start --profile hw5", "vek: starting the click test failed (status 1, see --log FILE)\n"},
            {"auto-adjust", "vek: starting the actuator auto-adjustment failed (status 1, see --log FILE)\n"},
            {"click-test", "vek: click-test needs start or stop\n"},
            {"store now", "vek: store takes no arguments\n"},
            {"page 7", "vek: activating page 7 failed (see --log FILE)\n"},
            {"page 65536", "vek: invalid page '65536' (0 to 65535)\n"}},
           false);
}

}  // namespace
