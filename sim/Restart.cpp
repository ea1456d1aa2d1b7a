#include "Restart.hpp"

#include "GovernorModel.hpp"
#include "LiveOperation.hpp"
#include "ServiceState.hpp"

namespace vekgov {

void RestartGovernor(GovernorModel& model) {
    model.restart.bootedAtMs = model.clock.NowMs() + model.profile.bootTimeMs;
    ++model.restart.restarts;
    // It forgets the conversation and its lists, and is back at the start rate.
    model.WakeUp();
    ReloadStoredValues(model);
    RestartEngine(model);
}

bool Booting(GovernorModel& model) {
    RestartArea& restart = model.restart;
    if (!restart.bootedAtMs) return false;
    if (model.clock.NowMs() < *restart.bootedAtMs) return true;
    restart.bootedAtMs.reset();
    return false;
}

}  // namespace vekgov
