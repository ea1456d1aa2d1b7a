// The inputs kept from fuzzing (fuzz/regressions/<target>/), each of which
// once crashed or broke an invariant, and the seed inputs
// (fuzz/corpus/<target>/), replayed through the fuzz targets' bodies. A
// target aborts on a broken invariant, so a replay that returns has passed.
#include "support/TempDir.hpp"
#include "targets/FuzzTargets.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Body = int (*)(const uint8_t*, size_t);

std::vector<fs::path> KeptInputs(const std::string& target) {
    std::vector<fs::path> inputs;
    for (const char* folder : {"fuzz/regressions", "fuzz/corpus"}) {
        const fs::path dir = fs::path(VEK_TEST_SOURCE_DIR) / folder / target;
        if (!fs::is_directory(dir)) continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
            const bool hidden = entry.path().filename().string().front() == '.';
            if (entry.is_regular_file() && !hidden) inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

void Replay(const std::string& target, Body body) {
    const std::vector<fs::path> inputs = KeptInputs(target);
    ASSERT_FALSE(inputs.empty()) << "no inputs kept for " << target;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const std::string bytes = vektest::ReadFileBytes(input);
        EXPECT_EQ(body(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
    }
}

TEST(FuzzRegressions, ParameterFileUpload) {
    Replay("fuzz_prm_upload", vekfuzz::FuzzPrmUpload);
    vekfuzz::EndPrmUpload();
}

TEST(FuzzRegressions, ValueText) { Replay("fuzz_value_text", vekfuzz::FuzzValueText); }

TEST(FuzzRegressions, GovernorReplies) { Replay("fuzz_governor_replies", vekfuzz::FuzzGovernorReplies); }

}  // namespace
