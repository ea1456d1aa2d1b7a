// A governor that runs an engine: its clock follows real time, its errors
// come and go by the built-in cycle, and its measurements move. Off unless
// asked for, so that tests see a governor that only changes when they say so.
#pragma once

#include <cstdint>

namespace vekgov {

struct GovernorModel;

struct LiveOperationArea {
    bool running = false;
};

// How long the governor has been switched on when live operation starts: a
// few seconds before its 16-bit timer first wraps.
constexpr uint64_t kLiveStartUptimeMs = 58000;

void StartLiveOperation(GovernorModel& model);

// Brings everything that moves by itself up to the model's present time;
// the engine calls it before every request.
void PassTime(GovernorModel& model);

}  // namespace vekgov
