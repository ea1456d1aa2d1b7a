#include "MicroTimer.hpp"

#include <benchmark/benchmark.h>

#include <vector>

namespace vekbench {

namespace {

class Collector : public benchmark::BenchmarkReporter {
public:
    explicit Collector(std::map<std::string, double>& results) : results_(results) {}
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto rate = run.counters.find("items_per_second");
            if (rate != run.counters.end() && rate->second.value > 0) {
                results_[run.benchmark_name()] = 1e9 / rate->second.value;
            }
        }
    }

private:
    std::map<std::string, double>& results_;
};

}  // namespace

void MicroTimer::Add(const std::string& name, std::function<void()> body, int64_t items) {
    benchmark::RegisterBenchmark(name.c_str(), [body, items](benchmark::State& state) {
        for (auto _ : state) body();
        state.SetItemsProcessed(state.iterations() * items);
    });
}

std::map<std::string, double> MicroTimer::Run() {
    std::map<std::string, double> results;
    Collector collector(results);
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::ClearRegisteredBenchmarks();
    return results;
}

}  // namespace vekbench
