// Every scenario runs against the simulated governor on a pseudo-terminal
// that paces each byte at the wire time of the line's rate. The reference is
// the wire time of the bytes that actually crossed (counted at the stream
// record), plus the pauses the connection must make by design.
#include "Sections.hpp"

#include "VekLib.h"
#include "support/CpuTime.hpp"
#include "support/LineCounter.hpp"
#include "support/SimulatedLine.hpp"

#include "Profiles.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vekbench {

namespace {

using Clock = std::chrono::steady_clock;

// Goals: bulk transfers and the download within 3 % of the wire time, the
// whole session within 10 %, and the library idle while it waits.
constexpr Goal kBulkGoal{GoalKind::AtMost, 1.03};
constexpr Goal kSessionGoal{GoalKind::AtMost, 1.10};
constexpr Goal kWaitingCpuGoal{GoalKind::Below, 0.02};
// A connection followed by many single raw value reads, at the rate every
// connection starts at: within 10 % of the wire time, under 5 % of one
// processor. At the faster rates a 7-byte exchange takes less time on the
// wire than two threads take to answer each other over a pseudo-terminal;
// the exchange overhead rows measure that turnaround against the echo floor.
constexpr Goal kRawExchangesGoal{GoalKind::AtMost, 1.10};
constexpr Goal kRawExchangesCpuGoal{GoalKind::Below, 0.05};
constexpr int kRawExchanges = 1000;
constexpr uint32_t kRawValueNumber = 1;

// The connection's pauses by design: two wake-up zero bytes with 50 ms after
// each (a pseudo-terminal passes the bytes themselves at once), and 50 ms
// for the governor to change its rate when the line leaves 9600 baud.
constexpr double kWakeUpPausesSeconds = 2 * 0.050;
constexpr double kRateChangePauseSeconds = 0.050;

// Short scenarios run again, up to this often or this long, and their best
// run counts: one late wake-up of a busy machine weighs much in 80 ms.
constexpr int kMostRuns = 10;
constexpr double kEnoughSeconds = 1.0;

// Firmware images take about this long on the wire at any rate.
constexpr double kFirmwareWireSeconds = 1.5;
constexpr uint16_t kFirmwareBlockBytes = 256;

// What one scenario took and exchanged.
struct Span {
    double seconds = 0;
    double cpuSeconds = 0;
    LineTotals line;
};

struct Mark {
    Clock::time_point time;
    double cpu;
    LineTotals line;
};

Mark MarkNow() { return {Clock::now(), ThreadCpuSeconds(), CountedSoFar()}; }

Span Between(const Mark& start, const Mark& end) {
    return {std::chrono::duration<double>(end.time - start.time).count(), end.cpu - start.cpu, end.line - start.line};
}

std::optional<Span> Run(const std::function<bool()>& scenario) {
    const Mark start = MarkNow();
    if (!scenario()) return std::nullopt;
    return Between(start, MarkNow());
}

// The firmware transfer runs from the idle call before its first request to
// the progress report after the last block's status.
struct FirmwareWindow {
    std::optional<Mark> start;
    std::optional<Mark> end;
} window;

void VEK_CALL OnIdle(void*) {
    if (!window.start) window.start = MarkNow();
}

void VEK_CALL OnFirmwareProgress(void*, const VekChar*, uint16_t permille) {
    if (permille == 1000 && !window.end) window.end = MarkNow();
}

std::optional<Span> UploadFirmware(uint32_t baud) {
    const double bytes = kFirmwareWireSeconds * baud / 10;
    std::vector<uint8_t> image(static_cast<std::size_t>(bytes) / kFirmwareBlockBytes * kFirmwareBlockBytes);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 37 + (i >> 8));
    window = FirmwareWindow{};
    VekSetCallback(VEK_CALLBACK_IDLE, reinterpret_cast<VekCallback>(OnIdle));
    VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, reinterpret_cast<VekCallback>(OnFirmwareProgress));
    const bool uploaded = VekUploadFirmwareFromBuffer(image.data(), static_cast<uint32_t>(image.size())) == 1;
    VekSetCallback(VEK_CALLBACK_IDLE, nullptr);
    VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, nullptr);
    if (!uploaded || !window.start || !window.end) return std::nullopt;
    return Between(*window.start, *window.end);
}

// A governor that erases at once, so that the upload's time is its transfer.
// It keeps its boot time: a governor back at once would answer the library's
// pings at the synchronisation rate and never be seen to restart.
vekgov::DeviceProfile QuickFirmwareProfile() {
    vekgov::DeviceProfile profile = *vekgov::FindProfile("default");
    profile.firmware.eraseRestarts = false;
    profile.firmware.eraseBusyAnswers = 0;
    profile.firmware.blockSize = kFirmwareBlockBytes;
    return profile;
}

bool ConnectAndReadRawValues() {
    if (VekInit() != 1) return false;
    for (int i = 0; i < kRawExchanges; ++i) {
        if (VekReadRawValue(kRawValueNumber) != 1) return false;
    }
    return true;
}

std::string Figure(const char* what, uint32_t baud) { return std::string(what) + " @" + std::to_string(baud); }

}  // namespace

void MeasureLineEfficiency(uint32_t baud, SummaryTable& table) {
    SimulatedLine line(QuickFirmwareProfile(), true);
    if (line.DevicePath().empty() || !ConfigurePort(line.DevicePath(), baud)) {
        table.Fail(Figure("line", baud), "no pseudo-terminal");
        return;
    }
    CountLineBytes(baud);
    const double connectPauses = kWakeUpPausesSeconds + (baud != kSynchronizeBaud ? kRateChangePauseSeconds : 0);
    const std::filesystem::path prmFile = std::filesystem::temp_directory_path() / "vek_bench_line.prm";

    // The session's scenarios, one after the other as a service tool runs
    // them; the raw value reads stand apart and do not count in the session.
    struct Scenario {
        const char* name;
        double pauses;  // added to the wire time
        Goal goal;
        bool inSession;
        std::function<std::optional<Span>()> run;
    };
    const Scenario scenarios[] = {
        {"connect", connectPauses, kSessionGoal, true, [] { return Run([] { return VekInit() == 1; }); }},
        {"download definitions", 0, kBulkGoal, true, [] { return Run([] { return VekReadAllParDef() == 1; }); }},
        {"connect + 1,000 raw value reads", connectPauses, kRawExchangesGoal, false,
         [] { return Run(ConnectAndReadRawValues); }},
        {"read all values", 0, kBulkGoal, true, [] { return Run([] { return VekReadAllValues() == 0; }); }},
        {"write all values", 0, kBulkGoal, true, [] { return Run([] { return VekWriteAllValues() == 1; }); }},
        {"save parameter file", 0, kBulkGoal, true,
         [&] {
             const std::u16string path = prmFile.u16string();
             return Run([&] { return VekDownloadPrmFile(reinterpret_cast<const VekChar*>(path.c_str())) == 1; });
         }},
        {"firmware upload (extended)", 0, kBulkGoal, true, [baud] { return UploadFirmware(baud); }},
    };

    double sessionSeconds = 0;
    double sessionReference = 0;
    Span session;  // every run of the session's scenarios, for the processor share
    for (const Scenario& scenario : scenarios) {
        if (!scenario.inSession && baud != kSynchronizeBaud) continue;
        std::optional<Span> best;
        double bestReference = 0;
        Span runs;
        for (int run = 0; run < kMostRuns && runs.seconds < kEnoughSeconds; ++run) {
            const std::optional<Span> span = scenario.run();
            if (!span) {
                table.Fail(Figure(scenario.name, baud), "the library reported a failure");
                VekClose();
                return;
            }
            const double reference = span->line.wireSeconds + scenario.pauses;
            if (!best || span->seconds / reference < best->seconds / bestReference) {
                best = span;
                bestReference = reference;
            }
            runs.seconds += span->seconds;
            runs.cpuSeconds += span->cpuSeconds;
        }
        table.Add(Figure(scenario.name, baud) + ": time / wire time", best->seconds, bestReference, "s",
                  scenario.goal);
        if (!scenario.inSession) {
            table.Add(Figure(scenario.name, baud) + ": library CPU / wall", runs.cpuSeconds, runs.seconds, "s",
                      kRawExchangesCpuGoal);
            continue;
        }
        sessionSeconds += best->seconds;
        sessionReference += bestReference;
        session.seconds += runs.seconds;
        session.cpuSeconds += runs.cpuSeconds;
    }
    VekClose();
    std::filesystem::remove(prmFile);
    table.Add(Figure("whole session", baud) + ": time / wire time", sessionSeconds, sessionReference, "s",
              kSessionGoal);
    table.Add(Figure("library CPU while waiting", baud) + ": CPU / wall", session.cpuSeconds, session.seconds, "s",
              kWaitingCpuGoal);
}

}  // namespace vekbench
