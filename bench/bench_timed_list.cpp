// Samples per second of a 16-item timed list read through the library's
// serial port from the simulated governor on an unpaced pseudo-terminal,
// next to the pseudo-terminal's own round-trip floor for the same traffic (one
// request byte out, one 38-byte sample back), measured in the same run. The
// library must reach 80 % of the floor.
//
//   bench_timed_list [seconds per round, default 0.5]
#include "VekLib.h"

#include "Governor.hpp"
#include "Profiles.hpp"
#include "PtyServer.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kItems = 16;
constexpr std::size_t kRequestBytes = 1;
constexpr std::size_t kSampleBytes = 2 + 2 * (1 + kItems) + 2;  // length word, stamp and items, checksum
constexpr uint8_t kStopByte = 0xFF;
constexpr uint32_t kBaud = 115200;
// Many short rounds, alternating, so that both see the same machine; the
// best of each counts.
constexpr int kRounds = 8;
constexpr double kRequiredShare = 0.8;
constexpr std::size_t kPathCapacity = 128;
// The first sixteen measurements of the built-in governor.
constexpr uint32_t kFirstMeasurement = 2000;

// --- The floor: a trivial server on a pseudo-terminal ----------------------

bool ReadFully(int fd, uint8_t* buffer, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = read(fd, buffer + got, n - got);
        if (r > 0) {
            got += static_cast<std::size_t>(r);
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 1000) <= 0) return false;
    }
    return true;
}

bool WriteFully(int fd, const uint8_t* bytes, std::size_t n) {
    std::size_t sent = 0;
    while (sent < n) {
        const ssize_t w = write(fd, bytes + sent, n - sent);
        if (w > 0) {
            sent += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd entry{fd, POLLOUT, 0};
        if (poll(&entry, 1, 1000) <= 0) return false;
    }
    return true;
}

// Round trips per second of bare reads and writes on a raw pseudo-terminal.
double MeasureFloor(double seconds) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    char path[kPathCapacity] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, path, sizeof path) != 0) {
        return 0;
    }
    const int line = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (line < 0 || tcgetattr(line, &settings) != 0) return 0;
    cfmakeraw(&settings);
    tcsetattr(line, TCSANOW, &settings);
    fcntl(master, F_SETFL, O_NONBLOCK);

    std::thread server([master] {
        const std::vector<uint8_t> sample(kSampleBytes, 0x11);
        uint8_t request = 0;
        while (ReadFully(master, &request, kRequestBytes) && request != kStopByte) {
            if (!WriteFully(master, sample.data(), sample.size())) return;
        }
    });
    std::vector<uint8_t> reply(kSampleBytes);
    const uint8_t request = 0x81;
    uint64_t trips = 0;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    const auto start = Clock::now();
    while (Clock::now() < end && WriteFully(line, &request, kRequestBytes) &&
           ReadFully(line, reply.data(), reply.size())) {
        ++trips;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    WriteFully(line, &kStopByte, kRequestBytes);
    server.join();
    close(line);
    close(master);
    return static_cast<double>(trips) / elapsed;
}

// --- The library against the simulated governor -----------------------------

struct SimulatedLine {
    vekgov::Governor governor{*vekgov::FindProfile("default")};
    std::unique_ptr<vekgov::PtyServer> pty;
    std::thread thread;

    bool Start() {
        std::string error;
        pty = vekgov::PtyServer::OpenPseudoTerminal(governor.Engine(), error);
        if (!pty) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        pty->SetLogSink([](const std::string&) {});  // one line per exchange would pile up
        thread = std::thread([this] {
            std::string ignored;
            pty->Run(ignored);
        });
        return true;
    }
    ~SimulatedLine() {
        if (!thread.joinable()) return;
        pty->Stop();
        thread.join();
    }
};

bool ConnectAndConfigure(const std::string& path) {
    const std::u16string port(path.begin(), path.end());
    if (!VekConfigureSerialStream(reinterpret_cast<const VekChar*>(port.c_str()), kBaud) || !VekInit() ||
        !VekReadAllParDef()) {
        return false;
    }
    uint32_t ids[kItems];
    for (std::size_t i = 0; i < kItems; ++i) ids[i] = kFirstMeasurement + static_cast<uint32_t>(i);
    return VekSetTimedList(0, kItems, ids) == 1;
}

// Samples per second, with the real values of all items converted.
double MeasureTimedList(double seconds, uint64_t& failures) {
    uint32_t stamp = 0;
    double values[kItems] = {};
    uint64_t samples = 0;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    const auto start = Clock::now();
    while (Clock::now() < end) {
        if (VekReadTimedList(0, &stamp, values)) {
            ++samples;
        } else {
            ++failures;
        }
    }
    return static_cast<double>(samples) / std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(0.1, std::atof(argv[1])) : 0.5;
    SimulatedLine line;
    if (!line.Start() || !ConnectAndConfigure(line.pty->DevicePath())) {
        std::printf("cannot connect to the simulated governor on a pseudo-terminal\n");
        return 1;
    }
    double floor = 0;
    double rate = 0;
    uint64_t failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        floor = std::max(floor, MeasureFloor(seconds));
        rate = std::max(rate, MeasureTimedList(seconds, failures));
    }
    VekClose();
    const double share = floor > 0 ? rate / floor : 0;
    std::printf("pseudo-terminal round trips (%zu byte out, %zu bytes back): %9.0f per second\n", kRequestBytes,
                kSampleBytes, floor);
    std::printf("16-item timed list samples with real values:         %9.0f per second (%.1f %% of the floor)\n",
                rate, share * 100.0);
    std::printf("failed samples: %llu; required: %.0f %% of the floor: %s\n",
                static_cast<unsigned long long>(failures), kRequiredShare * 100.0,
                failures == 0 && share >= kRequiredShare ? "ok" : "TOO SLOW");
    return failures == 0 && share >= kRequiredShare ? 0 : 1;
}
