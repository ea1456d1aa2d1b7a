#include "ModelClock.hpp"

namespace vekgov {

uint64_t ModelClock::NowMs() const {
    if (!realStart_) return manualMs_;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - *realStart_);
    return manualMs_ + static_cast<uint64_t>(elapsed.count());
}

void ModelClock::FollowRealTime() {
    if (!realStart_) realStart_ = Steady::now();
}

}  // namespace vekgov
