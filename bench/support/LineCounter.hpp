// Counts the bytes that cross the line through the library's stream record
// and the wire time they take, at the rate the line runs at as they cross:
// the synchronisation rate after the port opens, the configured rate once
// the rate change has succeeded. The wake-up bytes that the port's own open
// sends at the slow rate pass by the record and are not counted.
#pragma once

#include <cstdint>

namespace vekbench {

// The governor's synchronisation rate, at which every connection starts.
constexpr uint32_t kSynchronizeBaud = 9600;

struct LineTotals {
    uint64_t written = 0;
    uint64_t read = 0;
    double wireSeconds = 0;
};

inline LineTotals operator-(const LineTotals& a, const LineTotals& b) {
    return {a.written - b.written, a.read - b.read, a.wireSeconds - b.wireSeconds};
}

// Puts counting operations over those of VekGetStream() (call it after
// VekConfigureSerialStream, which installs the port's own); configuredBaud
// is the rate of that configuration.
void CountLineBytes(uint32_t configuredBaud);

// What has been counted since CountLineBytes.
LineTotals CountedSoFar();

}  // namespace vekbench
