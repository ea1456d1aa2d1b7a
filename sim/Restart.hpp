// A governor that restarts (after a reset, to erase its firmware, with a new
// firmware) answers nothing until it has booted, then starts afresh at the
// start rate with the parameter values it had stored; the values set but
// not stored are lost, and a running engine starts again with the stored ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vekgov {

struct GovernorModel;

struct RestartArea {
    std::optional<uint64_t> bootedAtMs;  // set while it boots, in the model's time
    size_t restarts = 0;
};

// Starts a restart now; the governor answers again after the profile's boot time.
void RestartGovernor(GovernorModel& model);
// Whether the governor still boots; ends the restart once its time has come.
bool Booting(GovernorModel& model);

}  // namespace vekgov
