// The extended firmware upload over a pseudo-terminal whose simulated
// governor paces every byte at 115200 baud: the transfer of the blocks (from
// the first block out to the last status in) must take no more than 5 %
// longer than the bytes need on the wire.
//
//   bench_firmware [benchmark options]
#include "VekLib.h"

#include "Governor.hpp"
#include "Profiles.hpp"
#include "PtyServer.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kBaud = 115200;
constexpr double kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr std::size_t kImageBytes = 32 * 1024;
constexpr uint16_t kBlockBytes = 256;
constexpr double kAllowedOverhead = 0.05;
constexpr int kTimingRuns = 3;
// One data block: command byte, length word, sub-command byte, offset, the
// data and the checksum word; its answer is a status word.
constexpr std::size_t kBlockFrameBytes = 1 + 2 + 1 + 4 + 2;
constexpr std::size_t kStatusBytes = 2;

double WireSeconds() {
    const std::size_t blocks = (kImageBytes + kBlockBytes - 1) / kBlockBytes;
    const std::size_t bytes = kImageBytes + blocks * (kBlockFrameBytes + kStatusBytes);
    return static_cast<double>(bytes) * kBitsPerByte / kBaud;
}

// The transfer's start (the idle call before the first block) and end (the
// progress report after the last block's status).
struct TransferTimes {
    std::optional<Clock::time_point> start;
    std::optional<Clock::time_point> end;
} times;

void VEK_CALL OnIdle(void*) {
    if (!times.start) times.start = Clock::now();
}
void VEK_CALL OnProgress(void*, const VekChar*, uint16_t permille) {
    if (permille == 1000 && !times.end) times.end = Clock::now();
}

// A governor on a paced pseudo-terminal that erases at once and comes back
// from its restart at once; the library connected to it at 115200 baud.
class PacedGovernor {
public:
    PacedGovernor() : governor_(Profile()) {
        governor_.Model().clock.FollowRealTime();
        std::string error;
        pty_ = vekgov::PtyServer::OpenPseudoTerminal(governor_.Engine(), error);
        if (!pty_) {
            std::printf("no pseudo-terminal: %s\n", error.c_str());
            return;
        }
        pty_->SetPacing(vekgov::Pacing{true, 0});
        pty_->SetLogSink([](const std::string&) {});  // keeps the exchange log from growing
        thread_ = std::thread([this] {
            std::string ignored;
            pty_->Run(ignored);
        });
        const std::u16string port(pty_->DevicePath().begin(), pty_->DevicePath().end());
        connected_ = VekConfigureSerialStream(reinterpret_cast<const VekChar*>(port.c_str()), kBaud) == 1 &&
                     VekInit() == 1;
    }
    ~PacedGovernor() {
        VekClose();
        if (!thread_.joinable()) return;
        pty_->Stop();
        thread_.join();
    }
    bool Connected() const { return connected_; }

    // The transfer time of one upload, or nothing when it failed.
    std::optional<double> Upload(const std::vector<uint8_t>& image) {
        times = TransferTimes{};
        const int32_t uploaded = VekUploadFirmwareFromBuffer(image.data(), static_cast<uint32_t>(image.size()));
        const bool held = pty_->WithEngine([&](vekgov::ProtocolEngine& e) { return e.Model().firmware.image == image; });
        if (!uploaded || !held || !times.start || !times.end) return std::nullopt;
        return std::chrono::duration<double>(*times.end - *times.start).count();
    }

private:
    static vekgov::DeviceProfile Profile() {
        vekgov::DeviceProfile profile = *vekgov::FindProfile("default");
        profile.firmware.eraseRestarts = false;
        profile.firmware.eraseBusyAnswers = 0;
        profile.firmware.blockSize = kBlockBytes;
        profile.bootTimeMs = 0;  // at its start rate it does not hear the host's pings anyway
        return profile;
    }

    vekgov::Governor governor_;
    std::unique_ptr<vekgov::PtyServer> pty_;
    std::thread thread_;
    bool connected_ = false;
};

std::vector<uint8_t> Image() {
    std::vector<uint8_t> image(kImageBytes);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 37 + (i >> 8));
    return image;
}

void InstallCallbacks() {
    VekSetCallback(VEK_CALLBACK_IDLE, reinterpret_cast<VekCallback>(OnIdle));
    VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, reinterpret_cast<VekCallback>(OnProgress));
}

bool CheckLimit() {
    PacedGovernor governor;
    if (!governor.Connected()) {
        std::printf("cannot connect to the simulated governor on a pseudo-terminal\n");
        return false;
    }
    InstallCallbacks();
    const std::vector<uint8_t> image = Image();
    std::optional<double> best;
    for (int run = 0; run < kTimingRuns; ++run) {
        const std::optional<double> seconds = governor.Upload(image);
        if (!seconds) {
            std::printf("upload failed\n");
            return false;
        }
        best = best ? std::min(*best, *seconds) : *seconds;
    }
    const double wire = WireSeconds();
    const double overhead = *best / wire - 1;
    const bool fast = overhead <= kAllowedOverhead;
    std::printf("extended upload of %zu bytes in blocks of %u at %u baud: %.3f s, wire time %.3f s, "
                "overhead %.2f %% (limit %.0f %%): %s\n",
                kImageBytes, kBlockBytes, kBaud, *best, wire, overhead * 100, kAllowedOverhead * 100,
                fast ? "ok" : "TOO SLOW");
    return fast;
}

void BM_ExtendedUploadPaced(benchmark::State& state) {
    PacedGovernor governor;
    if (!governor.Connected()) {
        state.SkipWithError("cannot connect to the simulated governor");
        return;
    }
    InstallCallbacks();
    const std::vector<uint8_t> image = Image();
    for (auto _ : state) {
        const std::optional<double> seconds = governor.Upload(image);
        if (!seconds) {
            state.SkipWithError("upload failed");
            return;
        }
        state.SetIterationTime(*seconds);
    }
    state.counters["wire_s"] = WireSeconds();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageBytes));
}
BENCHMARK(BM_ExtendedUploadPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const bool withinLimit = CheckLimit();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return withinLimit ? 0 : 1;
}
