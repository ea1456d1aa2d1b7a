#include "LineCounter.hpp"

#include "VekLib.h"
#include "WireTime.hpp"

namespace vekbench {

namespace {

struct CounterState {
    SerialStream original{};
    uint32_t configuredBaud = 0;
    uint32_t lineBaud = kSynchronizeBaud;
    LineTotals totals;
} counter;

void Count(uint64_t& direction, int32_t bytes) {
    direction += static_cast<uint64_t>(bytes);
    counter.totals.wireSeconds += WireSeconds(static_cast<uint64_t>(bytes), counter.lineBaud);
}

int32_t VEK_CALL CountingOpen(SerialStream* s) {
    counter.lineBaud = kSynchronizeBaud;
    return counter.original.Open(s);
}

int32_t VEK_CALL CountingChangeBaudRate(SerialStream* s) {
    const int32_t ok = counter.original.ChangeBaudRate(s);
    if (ok) counter.lineBaud = counter.configuredBaud;
    return ok;
}

int32_t VEK_CALL CountingWrite(SerialStream* s, const uint8_t* data, int32_t count) {
    const int32_t ok = counter.original.Write(s, data, count);
    if (ok) Count(counter.totals.written, count);
    return ok;
}

int32_t VEK_CALL CountingRead(SerialStream* s, uint8_t* buffer, int32_t count) {
    const int32_t ok = counter.original.Read(s, buffer, count);
    if (ok) Count(counter.totals.read, count);
    return ok;
}

}  // namespace

void CountLineBytes(uint32_t configuredBaud) {
    SerialStream* stream = VekGetStream();
    counter = CounterState{};
    counter.original = *stream;
    counter.configuredBaud = configuredBaud;
    stream->Open = CountingOpen;
    stream->ChangeBaudRate = CountingChangeBaudRate;
    stream->Write = CountingWrite;
    stream->Read = CountingRead;
}

LineTotals CountedSoFar() { return counter.totals; }

}  // namespace vekbench
