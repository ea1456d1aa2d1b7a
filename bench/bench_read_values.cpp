// VekReadAllValues of the default governor over a pseudo-terminal whose
// simulated governor paces every byte at 115200 baud: reading every group
// must take no more than 5 % longer than its bytes need on the wire.
//
//   bench_read_values [benchmark options]
#include "VekLib.h"

#include "Framing.hpp"
#include "Governor.hpp"
#include "Profiles.hpp"
#include "PtyServer.hpp"
#include "Values.hpp"

#include <benchmark/benchmark.h>
#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kBaud = 115200;
constexpr double kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr double kAllowedOverhead = 0.05;
constexpr int kTimingRuns = 3;
constexpr std::size_t kCommandBytes = 1;
constexpr unsigned long kTimerSlackNs = 1;

// Per block the command byte out, the framed values back; an empty block
// ends every group.
double WireSeconds(const vekgov::DeviceProfile& profile) {
    const std::size_t perBlock = vekgov::ValuesPerReadBlock(profile);
    std::size_t bytes = 0;
    for (std::size_t group = 0; group < vekgov::kValueGroupCount; ++group) {
        const std::size_t values = vekgov::GroupNumbers(profile, static_cast<vekgov::ValueGroup>(group)).size();
        const std::size_t blocks = (values + perBlock - 1) / perBlock + 1;
        bytes += blocks * (kCommandBytes + vekgov::kBlockOverhead) + values * vekgov::kValueBytes;
    }
    return static_cast<double>(bytes) * kBitsPerByte / kBaud;
}

// The default governor on a paced pseudo-terminal; the library connected to
// it at 115200 baud with the definitions downloaded.
class PacedGovernor {
public:
    PacedGovernor() : governor_(*vekgov::FindProfile("default")) {
        std::string error;
        pty_ = vekgov::PtyServer::OpenPseudoTerminal(governor_.Engine(), error);
        if (!pty_) {
            std::printf("no pseudo-terminal: %s\n", error.c_str());
            return;
        }
        pty_->SetPacing(vekgov::Pacing{true, 0});
        pty_->SetLogSink([](const std::string&) {});  // keeps the exchange log from growing
        thread_ = std::thread([this] {
            // The simulated line's byte times are sleeps: without the kernel's
            // default timer slack (50 us) they end when the byte would be through.
            prctl(PR_SET_TIMERSLACK, kTimerSlackNs);
            std::string ignored;
            pty_->Run(ignored);
        });
        const std::u16string port(pty_->DevicePath().begin(), pty_->DevicePath().end());
        connected_ = VekConfigureSerialStream(reinterpret_cast<const VekChar*>(port.c_str()), kBaud) == 1 &&
                     VekInit() == 1 && VekReadAllParDef() == 1;
    }
    ~PacedGovernor() {
        VekClose();
        if (!thread_.joinable()) return;
        pty_->Stop();
        thread_.join();
    }
    bool Connected() const { return connected_; }
    const vekgov::DeviceProfile& Profile() { return governor_.Model().profile; }

    // The time of one read of all values, or nothing when it failed or the
    // values differ from the governor's.
    std::optional<double> ReadAll() {
        const auto start = Clock::now();
        const int32_t result = VekReadAllValues();
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        if (result != 0 || !ValuesMatch()) return std::nullopt;
        return elapsed.count();
    }

private:
    bool ValuesMatch() {
        return pty_->WithEngine([](vekgov::ProtocolEngine& engine) {
            for (uint32_t number : vekgov::DefinedNumbers(engine.Model().profile)) {
                const ParDef* def = VekGetParDef(number);
                if (!def || def->RawValue != vekgov::ReadValue(engine.Model(), number)) return false;
            }
            return true;
        });
    }

    vekgov::Governor governor_;
    std::unique_ptr<vekgov::PtyServer> pty_;
    std::thread thread_;
    bool connected_ = false;
};

bool CheckLimit() {
    PacedGovernor governor;
    if (!governor.Connected()) {
        std::printf("cannot connect to the simulated governor on a pseudo-terminal\n");
        return false;
    }
    std::optional<double> best;
    for (int run = 0; run < kTimingRuns; ++run) {
        const std::optional<double> seconds = governor.ReadAll();
        if (!seconds) {
            std::printf("reading all values failed\n");
            return false;
        }
        best = best ? std::min(*best, *seconds) : *seconds;
    }
    const double wire = WireSeconds(governor.Profile());
    const double overhead = *best / wire - 1;
    const bool fast = overhead <= kAllowedOverhead;
    std::printf("reading all %zu values in blocks of %zu at %u baud: %.3f s, wire time %.3f s, "
                "overhead %.2f %% (limit %.0f %%): %s\n",
                vekgov::DefinedNumbers(governor.Profile()).size(), vekgov::ValuesPerReadBlock(governor.Profile()),
                kBaud, *best, wire, overhead * 100, kAllowedOverhead * 100, fast ? "ok" : "TOO SLOW");
    return fast;
}

void BM_ReadAllValuesPaced(benchmark::State& state) {
    PacedGovernor governor;
    if (!governor.Connected()) {
        state.SkipWithError("cannot connect to the simulated governor");
        return;
    }
    for (auto _ : state) {
        const std::optional<double> seconds = governor.ReadAll();
        if (!seconds) {
            state.SkipWithError("reading all values failed");
            return;
        }
        state.SetIterationTime(*seconds);
    }
    state.counters["wire_s"] = WireSeconds(governor.Profile());
}
BENCHMARK(BM_ReadAllValuesPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const bool withinLimit = CheckLimit();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return withinLimit ? 0 : 1;
}
