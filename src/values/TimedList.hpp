// Timed lists: up to 64 lists of up to 16 parameter numbers that the governor
// samples together with its 16-bit timer. The library keeps every list's
// numbers (the governor is configured from them again after a reconnection)
// and extends the timer stamp to 32 bits by counting its wraps.
#pragma once

#include "link/Link.hpp"
#include "link/Wire.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vek {

constexpr std::size_t kTimedListCount = 64;
constexpr std::size_t kTimedListMaxItems = 16;

struct TimedListEntry {
    uint32_t count = 0;
    uint32_t ids[kTimedListMaxItems] = {};
};

struct TimedListState {
    TimedListEntry lists[kTimedListCount];
    // One stamp pair for all lists: every backward step of the stamp counts
    // as one wrap of the governor's timer.
    uint16_t lastStamp = 0;
    uint16_t stampWraps = 0;
    // Samples arrive here, under the communication lock; it holds any block,
    // so that a long one is read off the line whole.
    std::array<uint8_t, kMaxBlockData> receiveBuffer;
};

TimedListState& TimedLists();

bool IsTimedList(uint8_t list);

// The data of the configuration block: list + 1, the timer's number, then
// the list's numbers, each 16-bit (low half) or 32-bit wide.
Frame TimedListConfiguration(uint8_t list, uint32_t timerId, const TimedListEntry& entry, bool longNumbers);

// Counts a wrap when the stamp went backward and returns the extended stamp.
uint32_t ExtendStamp(uint16_t stamp);

// Writes the item words of a sample into the cached raw values (and the real
// values when asked for). Only the items that the block carries, that the
// list has and that have a definition are taken; the rest is left alone.
void ApplySample(const TimedListEntry& entry, const uint8_t* sample, std::size_t sampleWords, double* values);

}  // namespace vek
