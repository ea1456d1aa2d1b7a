// Between the engine model and the governor's values: the settings the
// model takes from the parameters, and the measurements it leaves in them.
#pragma once

#include <cstdint>

#include "EngineModel.hpp"

namespace vekgov {

struct GovernorModel;

// The model's own setting stays where the governor lacks the parameter.
EngineSettings ReadEngineSettings(const GovernorModel& model);

// What the governor measures besides the engine: its supply, which the
// alternator lifts while the engine runs and which sags well below the
// usual minimum for 40 s of every 90 s (a weak battery line), at model time atMs.
double SupplyVolts(bool engineRunning, uint64_t atMs);

// Every measurement at model time atMs.
void WriteEngineReadings(GovernorModel& model, const EngineModel& engine, double supplyVolts, uint64_t atMs);

}  // namespace vekgov
