// Exchanges on an unpaced pseudo-terminal cost what the terminal, the two
// processes' wake-ups and the code on both ends cost. The library's rates
// stand next to the terminal's own floor for the same bytes (a bare echo in
// C) and next to libmodbus doing the same kind of exchange; the three take
// turns in short rounds so that each sees the same machine, and the best
// round of each counts.
#include "Sections.hpp"

#include "VekLib.h"
#include "support/LineCounter.hpp"
#include "support/ModbusPty.h"
#include "support/PtyFloor.h"
#include "support/SimulatedLine.hpp"

#include "Definitions.hpp"
#include "Profiles.hpp"

#include <algorithm>
#include <chrono>
#include <functional>

namespace vekbench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kBaud = 115200;
constexpr int kRounds = 6;
constexpr Goal kFloorGoal{GoalKind::AtLeast, 0.8};
constexpr Goal kAheadGoal{GoalKind::AtLeast, 1.0};
constexpr uint32_t kTimedListItems = 16;
constexpr uint32_t kFirstMeasurement = 2000;  // the built-in governor's first sixteen measurements
constexpr int kSmallModbusRead = 1;
constexpr int kLargeModbusRead = 120;

// Operations per second of op, run for the given seconds; 0 when one fails.
double Rate(const std::function<bool()>& op, double seconds) {
    uint64_t count = 0;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    auto now = start;
    while (now < end) {
        if (!op()) return 0;
        ++count;
        now = Clock::now();
    }
    return static_cast<double>(count) / std::chrono::duration<double>(now - start).count();
}

// The bytes one operation puts on the line each way.
LineTotals BytesOfOne(const std::function<bool()>& op) {
    const LineTotals before = CountedSoFar();
    op();
    return CountedSoFar() - before;
}

struct Best {
    double library = 0;
    double floor = 0;
    double modbus = 0;
};

}  // namespace

void MeasureExchangeOverhead(double secondsPerRound, SummaryTable& table) {
    SimulatedLine line(*vekgov::FindProfile("default"), false);
    uint32_t ids[kTimedListItems];
    for (uint32_t i = 0; i < kTimedListItems; ++i) ids[i] = kFirstMeasurement + i;
    const bool ready = !line.DevicePath().empty() && ConfigurePort(line.DevicePath(), kBaud) &&
                       (CountLineBytes(kBaud), VekInit() == 1) && VekReadAllParDef() == 1 &&
                       VekSetTimedList(0, kTimedListItems, ids) == 1;
    if (!ready) {
        table.Fail("exchange overhead", "no connection over an unpaced pseudo-terminal");
        VekClose();
        return;
    }
    const uint32_t parameter = vekgov::DefaultDefinitions().front().number;
    uint32_t stamp = 0;
    double values[kTimedListItems] = {};
    const std::function<bool()> rawRead = [parameter] { return VekReadRawValue(parameter) == 1; };
    const std::function<bool()> sample = [&] { return VekReadTimedList(0, &stamp, values) == 1; };
    const LineTotals rawBytes = BytesOfOne(rawRead);
    const LineTotals sampleBytes = BytesOfOne(sample);

    Best raw;
    Best timed;
    for (int round = 0; round < kRounds; ++round) {
        raw.floor = std::max(raw.floor, pty_round_trips_per_second(rawBytes.written, rawBytes.read, secondsPerRound));
        raw.library = std::max(raw.library, Rate(rawRead, secondsPerRound));
        raw.modbus = std::max(raw.modbus, modbus_rtu_reads_per_second(kSmallModbusRead, secondsPerRound));
        timed.floor = std::max(timed.floor,
                               pty_round_trips_per_second(sampleBytes.written, sampleBytes.read, secondsPerRound));
        timed.library = std::max(timed.library, Rate(sample, secondsPerRound));
        timed.modbus = std::max(timed.modbus, modbus_rtu_reads_per_second(kLargeModbusRead, secondsPerRound));
    }
    VekClose();

    const std::string rawName = "raw value read (" + std::to_string(rawBytes.written) + " B out, " +
                                std::to_string(rawBytes.read) + " B back)";
    const std::string sampleName = "timed list sample, 16 items (" + std::to_string(sampleBytes.written) +
                                   " B out, " + std::to_string(sampleBytes.read) + " B back)";
    table.Add(rawName + ": per s / pty echo floor", raw.library, raw.floor, "/s", kFloorGoal);
    table.Add(rawName + ": per s / libmodbus RTU, 1 register", raw.library, raw.modbus, "/s", kAheadGoal);
    table.Add(sampleName + ": per s / pty echo floor", timed.library, timed.floor, "/s", kFloorGoal);
    table.Add(sampleName + ": per s / libmodbus RTU, 120 registers", timed.library, timed.modbus, "/s", kAheadGoal);
}

}  // namespace vekbench
