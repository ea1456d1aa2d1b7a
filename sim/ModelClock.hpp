// The simulated governor's sense of time, in milliseconds since it was
// switched on. Tests move it by hand; the service tool lets it follow the
// real clock as well. Nothing in the simulator ever sleeps.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace vekgov {

class ModelClock {
public:
    uint64_t NowMs() const;
    void Advance(uint64_t ms) { manualMs_ += ms; }
    // From now on real time passes too (on top of the manual steps).
    void FollowRealTime();

    // The governor's free-running 16-bit millisecond timer.
    uint16_t Timer16() const { return static_cast<uint16_t>(NowMs()); }

private:
    using Steady = std::chrono::steady_clock;
    uint64_t manualMs_ = 0;
    std::optional<Steady::time_point> realStart_;
};

}  // namespace vekgov
