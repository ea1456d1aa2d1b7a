// The governor's watch over the running engine: overspeed (the speed loop
// cuts the fuel), a coolant hotter than its warning level for longer than
// its delay, and a supply outside its limits raise their errors, which clear
// once the value is back inside with some margin.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "EngineModel.hpp"

namespace vekgov {

struct GovernorModel;

struct MonitoredLimits {
    double coolantWarnC = 95;
    double coolantDelayS = 5;
    double supplyMinVolts = 18;
    double supplyMaxVolts = 32;
};
MonitoredLimits ReadMonitoredLimits(const GovernorModel& model);

struct ErrorSwitch {
    uint32_t number;
    bool present;
};

class EngineMonitor {
public:
    // The errors that come or go with these values at model time atMs.
    std::vector<ErrorSwitch> Check(const EngineReadings& readings, double supplyVolts,
                                   const MonitoredLimits& limits, uint64_t atMs);

private:
    void Watch(uint32_t number, bool& present, bool raise, bool clear, std::vector<ErrorSwitch>& changes);

    bool overspeed_ = false;
    bool coolantHot_ = false;
    bool supplyLow_ = false;
    bool supplyHigh_ = false;
    std::optional<uint64_t> coolantAboveSinceMs_;
};

}  // namespace vekgov
