// VekReadAllParDef of 10,000 definitions from the simulated governor in the
// same process: the whole download (requests, blocks, decoding, sorting) must
// take less than 50 ms.
//
//   bench_download [benchmark options]
#include "RealisticNames.hpp"
#include "VekLib.h"

#include "DefinitionBlocks.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDefinitionCount = 10000;
constexpr double kLimitMilliseconds = 50.0;
constexpr int kTimingRuns = 10;
constexpr uint16_t kRealisticBlockBytes = 512;
constexpr uint16_t kLargestBlockBytes = 2048;  // what the library's buffer takes

// 10,000 single definitions spread over all kinds and pages of the 16-bit range.
std::vector<vekgov::Definition> ManyDefinitions() {
    const std::vector<std::string> names = vekbench::RealisticNames(kDefinitionCount);
    vekbench::Sequence seq(1);
    std::vector<vekgov::Definition> definitions;
    for (std::size_t i = 0; i < kDefinitionCount; ++i) {
        vekgov::Definition d;
        d.number = static_cast<uint32_t>(i * 6 + 1);
        d.name = names[i];
        d.intCode = static_cast<uint8_t>(seq.Below(7));
        d.min = 0;
        d.max = static_cast<uint16_t>(1 + seq.Below(30000));
        d.unit = "rpm";
        d.format = static_cast<uint8_t>(seq.Below(4) << 4);
        definitions.push_back(std::move(d));
    }
    return definitions;
}

// A connected simulated governor with the definitions and the block size.
std::unique_ptr<vekgov::InProcessHost> Connect(uint16_t blockBytes) {
    vekgov::DeviceProfile profile = *vekgov::FindProfile("default");
    std::string error;
    vekgov::AttachDefinitions(profile, ManyDefinitions(), error);
    profile.definitionBlockBytes = blockBytes;
    auto host = std::make_unique<vekgov::InProcessHost>(profile);
    if (VekInit() != 1) return nullptr;
    return host;
}

bool CheckLimit(uint16_t blockBytes) {
    const auto host = Connect(blockBytes);
    if (!host) {
        std::printf("cannot connect to the simulated governor\n");
        return false;
    }
    double best = 0;
    double bestProcessor = 0;
    bool complete = true;
    for (int run = 0; run < kTimingRuns; ++run) {
        host->Engine().Log().Clear();  // the simulator keeps a line per exchange
        const std::clock_t processorStart = std::clock();
        const auto start = std::chrono::steady_clock::now();
        complete = complete && VekReadAllParDef() == 1 && VekGetParDefNum() == kDefinitionCount;
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        const double processor = 1000.0 * static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
        best = run == 0 ? elapsed.count() : std::min(best, elapsed.count());
        bestProcessor = run == 0 ? processor : std::min(bestProcessor, processor);
    }
    const bool fast = best < kLimitMilliseconds;
    std::printf("download of %zu definitions in blocks of up to %u bytes: %.2f ms (processor time %.2f ms, "
                "limit %.0f ms): %s\n",
                kDefinitionCount, blockBytes, best, bestProcessor, kLimitMilliseconds,
                !complete ? "INCOMPLETE" : fast ? "ok" : "TOO SLOW");
    return complete && fast;
}

void BM_ReadAllParDef(benchmark::State& state) {
    const auto host = Connect(static_cast<uint16_t>(state.range(0)));
    if (!host) {
        state.SkipWithError("cannot connect to the simulated governor");
        return;
    }
    for (auto _ : state) {
        if (VekReadAllParDef() != 1) state.SkipWithError("download failed");
        host->Engine().Log().Clear();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kDefinitionCount));
}
BENCHMARK(BM_ReadAllParDef)->Arg(kRealisticBlockBytes)->Arg(kLargestBlockBytes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const bool withinLimit = CheckLimit(kRealisticBlockBytes) & CheckLimit(kLargestBlockBytes);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return withinLimit ? 0 : 1;
}
