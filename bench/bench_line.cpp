// A connection and 1,000 raw value reads through the real serial port, with
// vekgov at the other end of a pseudo-terminal pacing every byte at the wire
// time of 9600 baud. Compares the elapsed time with the wire time of the
// bytes exchanged (10 bits a byte) plus the wake-up pauses of the open, and
// reports how much of one processor the library used meanwhile.
//
//   bench_line [VEKGOV]    exits 1 when either figure is out of bounds
#include "Definitions.hpp"
#include "VekLib.h"

#include <chrono>
#include <cstdio>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr uint32_t kBaud = 9600;
constexpr int kExchanges = 1000;
constexpr double kBitsPerByte = 10.0;
constexpr double kWakeUpPausesSeconds = 2 * 0.050;  // two zero bytes, 50 ms each
constexpr double kAllowedDeviation = 0.10;
constexpr double kAllowedCpuShare = 0.05;

using Clock = std::chrono::steady_clock;

// Every byte that crosses the line through the stream's slots.
struct ByteCounter {
    SerialStream original;
    uint64_t bytes = 0;
} counter;

int32_t VEK_CALL CountingWrite(SerialStream* s, const uint8_t* data, int32_t count) {
    const int32_t ok = counter.original.Write(s, data, count);
    if (ok) counter.bytes += static_cast<uint64_t>(count);
    return ok;
}

int32_t VEK_CALL CountingRead(SerialStream* s, uint8_t* buffer, int32_t count) {
    const int32_t ok = counter.original.Read(s, buffer, count);
    if (ok) counter.bytes += static_cast<uint64_t>(count);
    return ok;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// vekgov on a new pseudo-terminal, pacing at the host's rate.
class Governor {
public:
    explicit Governor(const char* program) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* argv[] = {const_cast<char*>(program), const_cast<char*>("--line-speed"), nullptr};
        if (posix_spawn(&pid_, program, &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
        close(out[0]);
    }
    ~Governor() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& Path() const { return path_; }

private:
    pid_t pid_ = -1;
    std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 1 ? argv[1] : VEKGOV_PATH;
    Governor governor(program);
    if (governor.Path().empty()) {
        std::fprintf(stderr, "bench_line: %s did not start\n", program);
        return 2;
    }
    const std::u16string port(governor.Path().begin(), governor.Path().end());
    VekConfigureSerialStream(reinterpret_cast<const VekChar*>(port.c_str()), kBaud);
    SerialStream* stream = VekGetStream();
    counter.original = *stream;
    stream->Write = CountingWrite;
    stream->Read = CountingRead;
    const uint32_t parameter = vekgov::DefaultDefinitions().front().number;

    const double cpuStart = CpuSeconds();
    const Clock::time_point start = Clock::now();
    if (!VekInit()) {
        std::fprintf(stderr, "bench_line: no connection on %s\n", governor.Path().c_str());
        return 2;
    }
    for (int i = 0; i < kExchanges; ++i) {
        if (!VekReadRawValue(parameter)) {
            std::fprintf(stderr, "bench_line: exchange %d failed\n", i + 1);
            return 2;
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    VekClose();

    const double wire = static_cast<double>(counter.bytes) * kBitsPerByte / kBaud + kWakeUpPausesSeconds;
    const double deviation = elapsed / wire - 1.0;
    const double cpuShare = cpu / elapsed;
    const bool inTime = deviation > -kAllowedDeviation && deviation < kAllowedDeviation;
    const bool idle = cpuShare < kAllowedCpuShare;
    std::printf("connection + %d raw value exchanges at %u baud over %s\n", kExchanges, kBaud,
                governor.Path().c_str());
    std::printf("  bytes on the line   %llu\n", static_cast<unsigned long long>(counter.bytes));
    std::printf("  wire time           %.3f s (with %.0f ms of wake-up pauses)\n", wire, kWakeUpPausesSeconds * 1000);
    std::printf("  elapsed             %.3f s (%+.2f %%, within 10 %%: %s)\n", elapsed, deviation * 100,
                inTime ? "yes" : "NO");
    std::printf("  library CPU         %.3f s = %.2f %% of one processor (under 5 %%: %s)\n", cpu, cpuShare * 100,
                idle ? "yes" : "NO");
    return inTime && idle ? 0 : 1;
}
