// vek_bench: the library's performance as ratios measured side by side in one
// run, since absolute times on shared machines are noisy. Prints one table:
// every figure measured, its reference, their ratio, the goal and whether it
// was met, and the load average at the time.
//
//   vek_bench [--python PATH] [--round SECONDS] [--only line|network|overhead|inprocess|instructions|tool]
//             [--baud RATE]... [--log FILE]
// --log writes the library's log to FILE, to see why a scenario failed.
// Exits 1 when a goal was missed.
#include "Sections.hpp"
#include "support/CpuTime.hpp"

#include "VekLib.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kDefaultRates[] = {9600, 57600, 115200};
constexpr double kDefaultRoundSeconds = 0.25;

struct Options {
    std::string python = "python3";
    double roundSeconds = kDefaultRoundSeconds;
    std::string only;
    std::vector<uint32_t> rates;
    std::string log;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--python") == 0 && hasValue) {
            options.python = argv[++i];
        } else if (std::strcmp(argv[i], "--round") == 0 && hasValue) {
            options.roundSeconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--only") == 0 && hasValue) {
            options.only = argv[++i];
        } else if (std::strcmp(argv[i], "--log") == 0 && hasValue) {
            options.log = argv[++i];
        } else if (std::strcmp(argv[i], "--baud") == 0 && hasValue) {
            options.rates.push_back(static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10)));
        } else {
            return false;
        }
    }
    if (options.rates.empty()) options.rates.assign(std::begin(kDefaultRates), std::end(kDefaultRates));
    return options.roundSeconds > 0;
}

}  // namespace

int main(int argc, char** argv) {
    int benchmarkArgc = 1;
    benchmark::Initialize(&benchmarkArgc, argv);
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: vek_bench [--python PATH] [--round SECONDS] "
                             "[--only line|network|overhead|inprocess|instructions|tool] [--baud RATE]... [--log FILE]\n");
        return 2;
    }
    if (!options.log.empty()) {
        const std::u16string log(options.log.begin(), options.log.end());
        VekSetLogFile(reinterpret_cast<const VekChar*>(log.c_str()));
    }
    const auto wanted = [&](const char* part) { return options.only.empty() || options.only == part; };
    vekbench::SummaryTable table;
    if (wanted("line")) {
        for (uint32_t baud : options.rates) vekbench::MeasureLineEfficiency(baud, table);
    }
    if (wanted("network")) {
        for (uint32_t baud : options.rates) vekbench::MeasureNetworkLine(baud, table);
    }
    if (wanted("overhead")) vekbench::MeasureExchangeOverhead(options.roundSeconds, table);
    if (wanted("inprocess")) vekbench::MeasureInProcess(options.python, table);
    if (wanted("instructions")) vekbench::MeasureInstructions(table);
    if (wanted("tool")) vekbench::MeasureToolWarmCache(VEK_TOOL, table);
    table.Print();
    return table.AllMet() ? 0 : 1;
}
