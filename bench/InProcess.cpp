// Figures that need no line: the similarity and name comparisons against
// Python on the same 10,000 names, the store's lookup by number against a
// plain hash map, and transfers from the simulated governor in the same
// process, where only the code on both ends costs time.
#include "Sections.hpp"

#include "VekLib.h"
#include "pardef/ParDefStore.hpp"
#include "support/ManyDefinitions.hpp"
#include "support/MicroTimer.hpp"
#include "support/ReplayedOperation.hpp"
#include "support/SimilarityWorkload.hpp"
#include "text/Text.hpp"

#include "Governor.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <unordered_map>
#include <vector>

namespace vekbench {

namespace {

using Clock = std::chrono::steady_clock;

// No slower per comparison than Python doing the same.
constexpr Goal kAheadOfPythonGoal{GoalKind::AtMost, 1.0};
constexpr Goal kAllExplainedGoal{GoalKind::AtLeast, 1.0};
constexpr Goal kHashLookupGoal{GoalKind::AtMost, 2.0};
constexpr Goal kWithinLimitGoal{GoalKind::AtMost, 1.0};
// One pass, one line at a time: ten times the lines take ten times as long.
constexpr Goal kLinearGoal{GoalKind::AtMost, 1.25};

constexpr double kDownloadLimitMs = 50.0;
constexpr std::size_t kDefinitionCount = 10000;
constexpr uint16_t kRealisticBlockBytes = 512;
constexpr uint16_t kLargestBlockBytes = 2048;  // what the library's buffer takes
constexpr std::size_t kSmallFileLines = 1000;
constexpr std::size_t kLargeFileLines = 10000;
constexpr int kTimingRuns = 5;
constexpr uint16_t kNeverFound = 101;  // above 100 %: the search walks every definition
constexpr uint16_t kSearchPercent = 80;
constexpr uint32_t kAllKinds = 0xF;
// The engine model may take 0.02 % of one processor while it runs.
constexpr uint64_t kEngineRequestMs = 100;
constexpr double kNanosecondsPerMs = 1e6;
constexpr double kEngineProcessorShare = 0.0002;
constexpr double kEngineBudgetNs = kEngineRequestMs * kNanosecondsPerMs * kEngineProcessorShare;

const VekChar* Api(const std::u16string& text) { return reinterpret_cast<const VekChar*>(text.c_str()); }

// The best of several runs, in milliseconds; a negative value when one failed.
double BestMilliseconds(const std::function<bool()>& run) {
    double best = -1;
    for (int i = 0; i < kTimingRuns; ++i) {
        const auto start = Clock::now();
        if (!run()) return -1;
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        best = best < 0 ? ms : std::min(best, ms);
    }
    return best;
}

// Pairs equal to difflib's ratio, and searches that stop where difflib's
// ratios say; the differences that have an explanation do not count.
void CompareWithDifflib(const SimilarityWorkload& w, const DifflibReference& ref,
                        const std::vector<std::pair<std::u16string, std::u16string>>& texts, SummaryTable& table) {
    std::size_t agreeing = 0;
    std::size_t explained = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (VekStrSimilarity(Api(texts[i].first), Api(texts[i].second)) == ref.ratios[i]) {
            ++agreeing;
        } else if (ExplainDifference(texts[i].first, texts[i].second) != "NOT EXPLAINED") {
            ++explained;
        }
    }
    for (std::size_t q = 0; q < w.queries.size(); ++q) {
        const ParDef* found = VekFindParDefBySimilarity(Api(vek::FromUtf8(w.queries[q])), 0, kSearchPercent);
        std::size_t expected = w.names.size();
        for (std::size_t i = 0; i < w.names.size() && expected == w.names.size(); ++i) {
            if (ref.ratios[q * w.names.size() + i] >= kSearchPercent / 100.0) expected = i;
        }
        agreeing += (found ? found->Id : w.names.size()) == expected;
    }
    table.Add("similarity: pairs and searches agreeing with difflib", static_cast<double>(agreeing),
              static_cast<double>(texts.size() + w.queries.size() - explained), "", kAllExplainedGoal);
}

void MeasureNames(const std::string& python, SummaryTable& table) {
    const SimilarityWorkload w = MakeSimilarityWorkload();
    DifflibReference ref;
    if (!RunDifflib(python, w, ref)) {
        table.Fail("similarity and name lookup", "'" + python + "' could not run difflib_ratio.py");
        return;
    }
    std::vector<std::pair<std::u16string, std::u16string>> texts;
    for (const NamePair& p : w.pairs) texts.emplace_back(vek::FromUtf8(p.a), vek::FromUtf8(p.b));
    LoadNamesIntoStore(w.names);
    CompareWithDifflib(w, ref, texts, table);

    const std::u16string query = vek::FromUtf8(w.queries.front());
    const std::u16string absentName = u"NoSuchParameterName";
    std::vector<uint32_t> ids;
    std::unordered_map<uint32_t, const ParDef*> plainMap;
    plainMap.rehash(vek::kMinParDefBuckets);  // as many buckets as the store keeps
    for (uint32_t id = 0; id < w.names.size(); ++id) {
        ids.push_back(id);
        plainMap.emplace(id, VekGetParDef(id));
    }
    std::reverse(ids.begin(), ids.end());  // not the order they were added in

    MicroTimer timer;
    timer.Add("similarity", [&] {
        for (std::size_t i = 0; i < w.searchPairs; ++i) {
            benchmark::DoNotOptimize(VekStrSimilarity(Api(texts[i].first), Api(texts[i].second)));
        }
    }, static_cast<int64_t>(w.searchPairs));
    timer.Add("search", [&] { benchmark::DoNotOptimize(VekFindParDefBySimilarity(Api(query), 0, kNeverFound)); },
              static_cast<int64_t>(w.names.size()));
    timer.Add("name", [&] { benchmark::DoNotOptimize(VekFindParDefByName(Api(absentName), kAllKinds)); },
              static_cast<int64_t>(w.names.size()));
    timer.Add("store", [&] {
        for (uint32_t id : ids) benchmark::DoNotOptimize(VekGetParDef(id));
    }, static_cast<int64_t>(ids.size()));
    timer.Add("map", [&] {
        for (uint32_t id : ids) benchmark::DoNotOptimize(plainMap.find(id));
    }, static_cast<int64_t>(ids.size()));
    std::map<std::string, double> ns = timer.Run();

    table.Add("similarity, 100,000 pairs: ns per comparison / difflib", ns["similarity"], ref.nanosecondsPerRatio,
              "ns", kAheadOfPythonGoal);
    table.Add("similarity search over 10,000 names: ns per name / difflib", ns["search"], ref.nanosecondsPerRatio,
              "ns", kAheadOfPythonGoal);
    table.Add("name lookup over 10,000 names: ns per name / Python casefold ==", ns["name"],
              ref.nanosecondsPerNameComparison, "ns", kAheadOfPythonGoal);
    table.Add("store lookup by number: ns / std::unordered_map", ns["store"], ns["map"], "ns", kHashLookupGoal);
    VekClearParDefs();
}

void MeasureDownload(uint16_t blockBytes, SummaryTable& table) {
    vekgov::InProcessHost host(ProfileWithDefinitions(kDefinitionCount, NumberLayout::AllKinds, blockBytes));
    host.Engine().Log().SetEnabled(false);
    const std::string figure = "download of 10,000 definitions in process, blocks of " +
                               std::to_string(blockBytes) + " B: ms / limit";
    const double ms = VekInit() == 1 ? BestMilliseconds([] {
        return VekReadAllParDef() == 1 && VekGetParDefNum() == kDefinitionCount;
    }) : -1;
    VekClose();
    if (ms < 0) {
        table.Fail(figure, "the download failed");
        return;
    }
    table.Add(figure, ms, kDownloadLimitMs, "ms", kWithinLimitGoal);
}

struct FileTimes {
    double saveMs = -1;
    double loadMs = -1;
};

// Saving and loading a parameter file of lines value lines, replayed from
// the simulated governor's recorded replies so that only the library counts.
FileTimes TimeParameterFile(std::size_t lines) {
    vekgov::InProcessHost host(ProfileWithDefinitions(lines, NumberLayout::ParametersOnly, kLargestBlockBytes));
    host.Engine().Log().SetEnabled(false);
    FileTimes times;
    if (VekInit() != 1 || VekReadAllParDef() != 1) return times;
    std::vector<char> text(lines * kPrmBytesPerLine);
    int32_t size = 0;
    ReplayedOperation save([&] {
        size = static_cast<int32_t>(text.size());
        return VekDownloadPrmBuffer(text.data(), &size) == 1;
    });
    if (save.Record()) times.saveMs = BestMilliseconds([&] { return save.Replay(); });
    ReplayedOperation load([&] { return VekUploadPrmBuffer(text.data(), static_cast<uint32_t>(size), 0) == 1; });
    if (times.saveMs >= 0 && load.Record()) times.loadMs = BestMilliseconds([&] { return load.Replay(); });
    VekClose();
    return times;
}

void MeasureParameterFiles(SummaryTable& table) {
    const FileTimes small = TimeParameterFile(kSmallFileLines);
    const FileTimes large = TimeParameterFile(kLargeFileLines);
    const double scale = static_cast<double>(kLargeFileLines) / kSmallFileLines;
    if (small.saveMs < 0 || large.saveMs < 0) {
        table.Fail("parameter file download (save), 10,000 lines", "the save failed");
    } else {
        table.Add("parameter file download (save), 10,000 lines: ms / 10 x 1,000 lines", large.saveMs,
                  scale * small.saveMs, "ms", kLinearGoal);
    }
    if (small.loadMs < 0 || large.loadMs < 0) {
        table.Fail("parameter file upload (load), 10,000 lines", "the load failed");
    } else {
        table.Add("parameter file upload (load), 10,000 lines: ms / 10 x 1,000 lines", large.loadMs,
                  scale * small.loadMs, "ms", kLinearGoal);
    }
}

// The simulated governor's engine as `vek watch --interval 100` meets it: a
// request every 100 ms of model time, before which the engine catches up
// ten steps, reads its parameters and leaves its measurements. Its processor
// time per 100 ms of model time, against its budget of 0.02 % of them.
void MeasureEngineModel(SummaryTable& table) {
    vekgov::Governor governor(*vekgov::FindProfile("default"));
    vekgov::GovernorModel& model = governor.Model();
    vekgov::StartLiveOperation(model, {1, false, false});
    MicroTimer timer;
    timer.Add(
        "engine",
        [&model] {
            model.clock.Advance(kEngineRequestMs);
            vekgov::PassTime(model);
        },
        1);
    table.Add("simulated engine, a request every 100 ms: ns per 100 ms of model time / 0.02 %", timer.Run()["engine"],
              kEngineBudgetNs, "ns", kWithinLimitGoal);
}

}  // namespace

void MeasureInProcess(const std::string& python, SummaryTable& table) {
    MeasureNames(python, table);
    MeasureDownload(kRealisticBlockBytes, table);
    MeasureDownload(kLargestBlockBytes, table);
    MeasureParameterFiles(table);
    MeasureEngineModel(table);
}

}  // namespace vekbench
