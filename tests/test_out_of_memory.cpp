// An allocation that fails inside an export: the export returns its failure
// result and logs one line, no exception reaches the caller, the
// communication lock is free again and the same call then succeeds.
#include "VekLib.h"
#include "support/AllocationFailure.hpp"
#include "support/LogCapture.hpp"
#include "support/Operations.hpp"

#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace {

constexpr long kEveryAllocationUpTo = 40;
constexpr double kSweepGrowth = 1.25;

// Runs call once for each chosen allocation to fail: every one of the first
// kEveryAllocationUpTo, then ever further apart until a run reaches the
// chosen allocation no more. Each run starts from a fresh governor and
// prepare().
void SweepAllocationFailures(const std::string& exportName, const std::function<void()>& prepare,
                             const std::function<int32_t()>& call, int32_t success) {
    int failedRuns = 0;
    for (long n = 1;; n = n < kEveryAllocationUpTo ? n + 1 : static_cast<long>(n * kSweepGrowth)) {
        vekgov::InProcessHost host(*vekgov::FindProfile("default"));
        vektest::ResetLibraryState();
        vektest::LogCapture log;
        prepare();

        int32_t result = success;
        bool thrown = false;
        {
            vektest::FailingAllocation failing(n);
            EXPECT_NO_THROW(result = call()) << exportName << ", allocation " << n;
            thrown = failing.Thrown();
        }
        if (!thrown) break;
        ++failedRuns;
        EXPECT_NE(result, success) << exportName << ", allocation " << n;
        // The export itself or the export it runs on names itself.
        const std::vector<std::string> lines = log.Lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&exportName](const std::string& line) {
            return line.rfind("Out of memory in " + exportName, 0) == 0;
        })) << "allocation " << n;
        // Another thread gets the lock, and the library still works. It
        // connects afresh: the failure may have cut an exchange short, which
        // leaves the governor waiting for the rest.
        const auto reconnectAndCall = [&call] { return VekInit() == 1 ? call() : -1; };
        EXPECT_EQ(std::async(std::launch::async, reconnectAndCall).get(), success)
            << exportName << ", allocation " << n;
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(failedRuns, 0) << exportName << " allocates nothing";
    vektest::ResetLibraryState();
}

void Connect() { ASSERT_EQ(VekInit(), 1); }

void ConnectAndDownload() {
    Connect();
    ASSERT_EQ(VekReadAllParDef(), 1);
}

TEST(OutOfMemory, DefinitionDownloadFailsCleanly) {
    SweepAllocationFailures("VekReadAllParDef", Connect, VekReadAllParDef, 1);
}

TEST(OutOfMemory, ParameterFileLoadFailsCleanly) {
    std::string file;
    SweepAllocationFailures(
        "VekUploadPrmBuffer",
        [&file] {
            ConnectAndDownload();
            char buffer[1 << 16];
            int32_t size = sizeof buffer;
            ASSERT_EQ(VekDownloadPrmBuffer(buffer, &size), 1);
            file.assign(buffer, static_cast<size_t>(size));
        },
        [&file] { return VekUploadPrmBuffer(file.data(), static_cast<uint32_t>(file.size()), 0); }, 1);
}

TEST(OutOfMemory, ValueParseFailsCleanly) {
    SweepAllocationFailures("VekSetValue", ConnectAndDownload, [] { return VekSetValue(1, reinterpret_cast<const VekChar*>(u"800")); }, 1);
}

}  // namespace
