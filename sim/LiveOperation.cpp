#include "LiveOperation.hpp"

#include "ActualErrors.hpp"
#include "GovernorModel.hpp"
#include "TimedLists.hpp"
#include "Values.hpp"

#include <cmath>

namespace vekgov {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A measurement that swings around its mean, in raw units of its definition.
struct Signal {
    uint32_t number;
    double mean;
    double amplitude;
    double periodS;
};

// The built-in governor's engine at rated speed under a changing load.
constexpr Signal kSignals[] = {
    {2000, 1500, 40, 7},    // Speed, rpm
    {2001, 1500, 0, 1},     // SpeedSetpointActual, rpm
    {2002, 420, 60, 7},     // ActuatorPos, scaled word
    {2003, 380, 50, 7},     // FuelQuantity, 0.1 %
    {2004, 1800, 200, 11},  // BoostPressure, 0.001 bar
    {2005, 420, 15, 5},     // OilPressure, 0.01 bar
    {2006, 880, 10, 90},    // Oil Temp, 0.1 degC
    {2007, 850, 20, 60},    // CoolantTemp, 0.1 degC
    {2008, 242, 3, 13},     // SupplyVoltage, 0.1 V
    {2009, 2100, 300, 7},   // ActuatorCurrent, mA
    {2010, 0, 40, 7},       // SpeedDeviation, rpm (signed)
};

uint16_t SignalAt(const Signal& signal, double seconds) {
    const double value = signal.mean + signal.amplitude * std::sin(2 * kPi * seconds / signal.periodS);
    return static_cast<uint16_t>(static_cast<int32_t>(std::lround(value)));  // negative: two's complement
}

}  // namespace

void StartLiveOperation(GovernorModel& model) {
    if (model.live.running) return;
    model.live.running = true;
    model.clock.Advance(kLiveStartUptimeMs);
    model.clock.FollowRealTime();
    UseBuiltInErrorCycle(model.actualErrors);
}

void PassTime(GovernorModel& model) {
    UpdateActualErrors(model);
    if (!model.live.running) return;
    const uint64_t now = model.clock.NowMs();
    const double seconds = static_cast<double>(now) / 1000.0;
    // Numbers the profile does not define are refused by WriteValue.
    for (const Signal& signal : kSignals) WriteValue(model, signal.number, SignalAt(signal, seconds));
    if (const auto timer = TimerNumber(model.profile)) WriteValue(model, *timer, model.clock.Timer16());
}

}  // namespace vekgov
