// The governor's timed lists: up to 64 lists of up to 16 parameter numbers,
// each sampled in one block together with the governor's free-running 16-bit
// millisecond timer. A host resets the sampling, configures lists and starts
// it again; the governor forgets its lists when it is woken up.
#pragma once

#include "Framing.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vekgov {

struct GovernorModel;
struct DeviceProfile;

constexpr size_t kTimedLists = 64;
constexpr size_t kTimedListMaxItems = 16;

struct TimedListsArea {
    // The numbers of each configured list in item order (the timer not included).
    std::array<std::optional<std::vector<uint32_t>>, kTimedLists> lists;
    uint32_t timerNumber = 0;  // as the last accepted configuration named it
    bool sampling = false;     // started and not reset since
};

// The number of the definition named "Timer", if the governor has one.
std::optional<uint32_t> TimerNumber(const DeviceProfile& profile);

// The three configuration commands; each returns the status word. A list is
// configured only while the sampling is stopped, with the governor's own
// timer first and numbers that the governor defines.
uint16_t ResetTimedLists(GovernorModel& model);
uint16_t ConfigureTimedList(GovernorModel& model, const uint8_t* data, size_t n);
uint16_t StartTimedLists(GovernorModel& model);

// The data of one sample: the timer, then each item's value. Empty while the
// sampling is stopped or the list is not configured.
Bytes SampleTimedList(GovernorModel& model, uint8_t list);

}  // namespace vekgov
