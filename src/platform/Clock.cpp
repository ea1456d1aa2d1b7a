#include "platform/Platform.hpp"

#include <atomic>

namespace vek::platform {

namespace {
std::atomic<const Clock*> testClock{nullptr};
}

const Clock& CurrentClock() {
    const Clock* clock = testClock.load(std::memory_order_acquire);
    return clock ? *clock : SystemClock();
}

void SetClockForTesting(const Clock* clock) { testClock.store(clock, std::memory_order_release); }

}  // namespace vek::platform
