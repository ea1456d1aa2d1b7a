// A clock for the library in which time passes only when the library looks
// at it or sleeps: every look at the tick count takes `stepMs`, every sleep
// its length. So waits are instant and yet every deadline comes. Installed
// for the life of the object; one at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace vektest {

class FakeClock {
public:
    explicit FakeClock(uint32_t stepMs = 1);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    // Every sleep the library asked for, in order.
    const std::vector<uint32_t>& Sleeps() const;
    uint32_t NowMs() const;
    void SetStep(uint32_t stepMs);
    // Called with every step forward, e.g. to let a simulated governor's
    // time pass along.
    void OnAdvance(std::function<void(uint32_t ms)> observer);
};

}  // namespace vektest
