#include "EngineMonitor.hpp"

#include "EngineNumbers.hpp"
#include "PhysicalValues.hpp"

namespace vekgov {

namespace {

namespace n = engine_number;

constexpr double kCoolantMarginC = 2.0;
constexpr double kSupplyMarginVolts = 0.3;
constexpr double kMsPerSecond = 1000.0;

}  // namespace

MonitoredLimits ReadMonitoredLimits(const GovernorModel& model) {
    MonitoredLimits limits;
    TakePhysical(model, n::CoolantTempWarn, limits.coolantWarnC);
    TakePhysical(model, n::CoolantTempDelay, limits.coolantDelayS);
    TakePhysical(model, n::SupplyVoltageMin, limits.supplyMinVolts);
    TakePhysical(model, n::SupplyVoltageMax, limits.supplyMaxVolts);
    return limits;
}

void EngineMonitor::Watch(uint32_t number, bool& present, bool raise, bool clear,
                          std::vector<ErrorSwitch>& changes) {
    if (present ? !clear : !raise) return;
    present = !present;
    changes.push_back({number, present});
}

std::vector<ErrorSwitch> EngineMonitor::Check(const EngineReadings& r, double supplyVolts,
                                              const MonitoredLimits& limits, uint64_t atMs) {
    if (r.coolantTempC <= limits.coolantWarnC) {
        coolantAboveSinceMs_.reset();
    } else if (!coolantAboveSinceMs_) {
        coolantAboveSinceMs_ = atMs;
    }
    const bool coolantTooLong = coolantAboveSinceMs_ && static_cast<double>(atMs - *coolantAboveSinceMs_) >=
                                                            limits.coolantDelayS * kMsPerSecond;

    std::vector<ErrorSwitch> changes;
    Watch(n::ErrOverspeed, overspeed_, r.fuelCut, !r.fuelCut, changes);
    Watch(n::ErrCoolantTemp, coolantHot_, coolantTooLong,
          r.coolantTempC < limits.coolantWarnC - kCoolantMarginC, changes);
    Watch(n::ErrSupplyLow, supplyLow_, supplyVolts < limits.supplyMinVolts,
          supplyVolts >= limits.supplyMinVolts + kSupplyMarginVolts, changes);
    Watch(n::ErrSupplyHigh, supplyHigh_, supplyVolts > limits.supplyMaxVolts,
          supplyVolts <= limits.supplyMaxVolts - kSupplyMarginVolts, changes);
    return changes;
}

}  // namespace vekgov
