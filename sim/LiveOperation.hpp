// A governor that runs an engine: its clock follows real time, the engine
// model turns under its speed loop, its measurements move, its limits raise
// errors and a CAN time-out comes and goes by the built-in cycle. Off unless
// asked for, so that tests see a governor that only changes when they say so;
// still, the engine stands at its setpoint and its measurements and errors
// keep their values.
#pragma once

#include <cstdint>
#include <optional>

#include "EngineModel.hpp"
#include "EngineMonitor.hpp"

namespace vekgov {

struct GovernorModel;

struct LiveSettings {
    uint64_t seed = 1;     // the same seed, the same engine
    bool still = false;    // the engine at its setpoint, frozen
    bool realTime = true;  // the clock follows real time; off, only its manual steps move it
};

struct LiveOperationArea {
    bool running = false;  // time moves the engine, its errors and the timer
    std::optional<EngineModel> engine;
    EngineMonitor monitor;
    uint64_t steppedToMs = 0;  // the engine has been stepped up to here
};

// How long the governor has been switched on when live operation starts: a
// few seconds before its 16-bit timer first wraps.
constexpr uint64_t kLiveStartUptimeMs = 58000;
// After a longer pause the engine catches up this much only; it has settled long before.
constexpr uint64_t kMaxCatchUpMs = 600000;

void StartLiveOperation(GovernorModel& model, const LiveSettings& settings = {});

// Brings everything that moves by itself up to the model's present time;
// the engine calls it before every request.
void PassTime(GovernorModel& model);

// After a restart: the engine starts again with the stored parameters
// (a still one stands at their setpoint).
void RestartEngine(GovernorModel& model);

}  // namespace vekgov
