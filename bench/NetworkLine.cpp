// The definitions downloaded and all values read through ser2net, as from a
// governor behind a device server on the network: the same paced terminal
// as the line rows, with RFC 2217 and a TCP connection in between. The
// reference is again the wire time of the bytes that crossed.
#include "Sections.hpp"

#include "VekLib.h"
#include "support/DeviceServer.hpp"
#include "support/LineCounter.hpp"
#include "support/SimulatedLine.hpp"

#include "Profiles.hpp"

#include <chrono>
#include <functional>
#include <string>

namespace vekbench {

namespace {

// The device server's turnaround weighs more at the fast rate.
constexpr uint32_t kSlowRate = 9600;
constexpr Goal kSlowRateGoal{GoalKind::AtMost, 1.02};
constexpr Goal kFastRateGoal{GoalKind::AtMost, 1.05};

std::string Figure(const char* what, uint32_t baud) {
    return std::string(what) + " through ser2net @" + std::to_string(baud) + ": time / wire time";
}

}  // namespace

void MeasureNetworkLine(uint32_t baud, SummaryTable& table) {
    SimulatedLine line(*vekgov::FindProfile("default"), true);
    vektest::DeviceServer server(line.DevicePath());
    if (line.DevicePath().empty() || !server.Unavailable().empty()) {
        table.Fail(Figure("network line", baud), line.DevicePath().empty() ? "no pseudo-terminal" : server.Unavailable());
        return;
    }
    if (!ConfigurePort(server.PortName(), baud)) {
        table.Fail(Figure("network line", baud), "the port was refused");
        return;
    }
    CountLineBytes(baud);
    const Goal goal = baud <= kSlowRate ? kSlowRateGoal : kFastRateGoal;
    if (VekInit() != 1) {
        table.Fail(Figure("connect", baud), "the library reported a failure");
        return;
    }
    const std::pair<const char*, std::function<bool()>> scenarios[] = {
        {"download definitions", [] { return VekReadAllParDef() == 1; }},
        {"read all values", [] { return VekReadAllValues() == 0; }},
    };
    for (const auto& [name, scenario] : scenarios) {
        const LineTotals before = CountedSoFar();
        const auto start = std::chrono::steady_clock::now();
        if (!scenario()) {
            table.Fail(Figure(name, baud), "the library reported a failure");
            break;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        table.Add(Figure(name, baud), seconds, (CountedSoFar() - before).wireSeconds, "s", goal);
    }
    VekClose();
}

}  // namespace vekbench
