// Exchanges on an unpaced pseudo-terminal cost what the terminal, the two
// processes' wake-ups and the code on both ends cost. The library's rates
// stand next to the terminal's own floor for the same bytes (a bare echo in
// C) and next to libmodbus doing the same kind of exchange. The three take
// turns in short rounds so that each round sees one state of the machine;
// each ratio is that of the round with the median ratio, steadier on a busy
// machine than the best of each side taken from different rounds.
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
#include <string>
#include <utility>
#include <vector>

namespace vekbench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kBaud = 115200;
constexpr int kRounds = 7;  // odd: one round is the median
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

// One figure's rates, round by round.
struct Rounds {
    std::vector<double> library;
    std::vector<double> reference;

    // The library's rate and the reference's in the round whose ratio is the
    // median of all rounds.
    std::pair<double, double> Median() const {
        std::vector<size_t> order(library.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        const auto ratio = [this](size_t i) { return reference[i] > 0 ? library[i] / reference[i] : 0; };
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ratio(a) < ratio(b); });
        const size_t middle = order[order.size() / 2];
        return {library[middle], reference[middle]};
    }
};

struct Figure {
    Rounds floor;
    Rounds modbus;

    void AddRound(double library, double floorRate, double modbusRate) {
        floor.library.push_back(library);
        floor.reference.push_back(floorRate);
        modbus.library.push_back(library);
        modbus.reference.push_back(modbusRate);
    }
};

void AddRows(SummaryTable& table, const std::string& name, const std::string& modbusName, const Figure& figure) {
    const auto [libraryRate, floorRate] = figure.floor.Median();
    table.Add(name + ": per s / pty echo floor", libraryRate, floorRate, "/s", kFloorGoal);
    const auto [libraryRateAgain, modbusRate] = figure.modbus.Median();
    table.Add(name + ": per s / libmodbus RTU, " + modbusName, libraryRateAgain, modbusRate, "/s", kAheadGoal);
}

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

    Figure raw;
    Figure timed;
    for (int round = 0; round < kRounds; ++round) {
        const double rawFloor = pty_round_trips_per_second(rawBytes.written, rawBytes.read, secondsPerRound);
        const double rawLibrary = Rate(rawRead, secondsPerRound);
        const double rawModbus = modbus_rtu_reads_per_second(kSmallModbusRead, secondsPerRound);
        raw.AddRound(rawLibrary, rawFloor, rawModbus);
        const double timedFloor =
            pty_round_trips_per_second(sampleBytes.written, sampleBytes.read, secondsPerRound);
        const double timedLibrary = Rate(sample, secondsPerRound);
        const double timedModbus = modbus_rtu_reads_per_second(kLargeModbusRead, secondsPerRound);
        timed.AddRound(timedLibrary, timedFloor, timedModbus);
    }
    VekClose();

    const std::string rawName = "raw value read (" + std::to_string(rawBytes.written) + " B out, " +
                                std::to_string(rawBytes.read) + " B back)";
    const std::string sampleName = "timed list sample, 16 items (" + std::to_string(sampleBytes.written) +
                                   " B out, " + std::to_string(sampleBytes.read) + " B back)";
    AddRows(table, rawName, "1 register", raw);
    AddRows(table, sampleName, "120 registers", timed);
}

}  // namespace vekbench
