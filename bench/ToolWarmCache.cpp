// vek get 1 against a line-paced governor at 9600 baud: a second run, with
// the definitions in the tool's cache, against the wire time of what it must
// exchange: the connection and one raw value read, counted in this process
// on the same line, plus the connection's wake-up pauses.
#include "Sections.hpp"

#include "VekLib.h"
#include "support/LineCounter.hpp"
#include "support/SimulatedLine.hpp"

#include "Profiles.hpp"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vekbench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr Goal kWarmCacheGoal{GoalKind::AtMost, 1.20};
constexpr double kWakeUpPausesSeconds = 2 * 0.050;
constexpr uint32_t kReadNumber = 1;
constexpr int kWarmRuns = 3;  // the best counts
constexpr const char* kFigure = "vek get 1, definitions cached @9600: time / wire time";

// The wire time of connecting and reading one value, in this process.
double ReferenceSeconds(const std::string& port) {
    if (!ConfigurePort(port, kSynchronizeBaud)) return 0;
    CountLineBytes(kSynchronizeBaud);
    const bool done = VekInit() == 1 && VekReadRawValue(kReadNumber) == 1;
    const double wire = CountedSoFar().wireSeconds;
    VekClose();
    return done ? wire + kWakeUpPausesSeconds : 0;
}

// Seconds of one run of the tool, or a negative number when it failed.
double RunSeconds(const std::string& command) {
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return status == 0 ? seconds : -1;
}

}  // namespace

void MeasureToolWarmCache(const std::string& vek, SummaryTable& table) {
    if (vek.empty()) {
        table.Fail(kFigure, "the tool is not built");
        return;
    }
    SimulatedLine line(*vekgov::FindProfile("default"), true);
    if (line.DevicePath().empty()) {
        table.Fail(kFigure, "no pseudo-terminal");
        return;
    }
    const double reference = ReferenceSeconds(line.DevicePath());
    // A cache of this run's own: the first run downloads and fills it.
    const std::filesystem::path cache = std::filesystem::temp_directory_path() / "vek_bench_cache";
    std::filesystem::remove_all(cache);
    const std::string command = "XDG_CACHE_HOME='" + cache.string() + "' '" + vek + "' --port " + line.DevicePath() +
                                " get " + std::to_string(kReadNumber) + " >/dev/null";
    double best = RunSeconds(command);
    for (int run = 0; run < kWarmRuns && best >= 0; ++run) {
        const double seconds = RunSeconds(command);
        best = run == 0 || (seconds >= 0 && seconds < best) ? seconds : best;
    }
    std::filesystem::remove_all(cache);
    if (best < 0) {
        table.Fail(kFigure, "the tool reported a failure");
        return;
    }
    table.Add(kFigure, best, reference, "s", kWarmCacheGoal);
}

}  // namespace vekbench
