#include "EngineLink.hpp"

#include <algorithm>
#include <cmath>

#include "DeviceRecord.hpp"
#include "EngineNumbers.hpp"
#include "GovernorModel.hpp"
#include "PhysicalValues.hpp"

namespace vekgov {

namespace {

namespace n = engine_number;

constexpr double kControllerSets = 3;
constexpr double kSetpoints = 8;

constexpr uint64_t kSagPeriodMs = 90000;
constexpr uint64_t kSagFromMs = 15000;
constexpr uint64_t kSagUntilMs = 55000;
constexpr double kSaggingVolts = 17.4;
constexpr double kChargingVolts = 27.6;
constexpr double kBatteryVolts = 24.6;
constexpr double kRippleVolts = 0.05;
constexpr double kRipplePeriodMs = 7000;
constexpr double kTwoPi = 6.283185307179586;

// The input that carries the speed setpoint sits mid-scale; the others at the bottom of 4-20 mA.
constexpr double kSetpointInputMa = 12.0;
constexpr double kIdleInputMa = 4.0;
constexpr int kAnalogInputs = 8;
constexpr double kPwmDutyMinPercent = 10.0;
constexpr double kPwmDutySpan = 0.8;  // of the actuator's percent

constexpr uint16_t kRunSwitchOn = 0x01;
constexpr uint16_t kRunningRelay = 0x01;
constexpr uint16_t kStatusRunning = 0x0001;
constexpr uint16_t kStatusFuelCut = 0x0002;

void Take(const GovernorModel& model, uint32_t number, double& setting) {
    TakePhysical(model, number, setting);
}

void Take(const GovernorModel& model, uint32_t number, bool& setting) {
    double value = setting ? 1 : 0;
    TakePhysical(model, number, value);
    setting = value != 0;
}

// An element of an array chosen by a selector parameter, within the array.
uint32_t Chosen(const GovernorModel& model, uint32_t first, uint32_t selector, double elements) {
    const double chosen = std::max(0.0, std::min(ReadPhysical(model, selector).value_or(0), elements - 1));
    return first + static_cast<uint32_t>(chosen);
}

}  // namespace

EngineSettings ReadEngineSettings(const GovernorModel& model) {
    EngineSettings s;
    Take(model, Chosen(model, n::SpeedSetpoint, n::SetpointSelect, kSetpoints), s.setpointRpm);
    s.setpointRpm += ReadPhysical(model, n::SpeedTrim).value_or(0);
    Take(model, n::IdleSpeed, s.idleRpm);
    Take(model, n::RatedSpeed, s.ratedRpm);
    Take(model, n::MaxSpeed, s.maxRpm);
    Take(model, n::OverspeedLimit, s.overspeedRpm);
    Take(model, n::StartSpeed, s.startRpm);
    Take(model, n::EnableSpeedRamp, s.rampOn);
    Take(model, n::SpeedRampUp, s.rampUpRpmPerS);
    Take(model, n::SpeedRampDown, s.rampDownRpmPerS);
    Take(model, n::EnableDroop, s.droopOn);
    Take(model, n::Droop, s.droopPercent);
    Take(model, Chosen(model, n::GainP, n::ControllerSet, kControllerSets), s.gainP);
    Take(model, Chosen(model, n::GainI, n::ControllerSet, kControllerSets), s.gainI);
    Take(model, Chosen(model, n::GainD, n::ControllerSet, kControllerSets), s.gainD);
    Take(model, n::ActuatorPosMin, s.actuatorMinPercent);
    Take(model, n::ActuatorPosMax, s.actuatorMaxPercent);
    Take(model, n::MinFuel, s.fuelMinPercent);
    Take(model, n::MaxFuel, s.fuelMaxPercent);
    Take(model, n::StartFuel, s.startFuelPercent);
    return s;
}

double SupplyVolts(bool engineRunning, uint64_t atMs) {
    const uint64_t inPeriod = atMs % kSagPeriodMs;
    if (inPeriod >= kSagFromMs && inPeriod < kSagUntilMs) return kSaggingVolts;
    const double ripple = kRippleVolts * std::sin(kTwoPi * static_cast<double>(atMs) / kRipplePeriodMs);
    return (engineRunning ? kChargingVolts : kBatteryVolts) + ripple;
}

void WriteEngineReadings(GovernorModel& model, const EngineModel& engine, double supplyVolts, uint64_t atMs) {
    const EngineReadings& r = engine.Readings();
    WritePhysical(model, n::Speed, r.speedRpm);
    WritePhysical(model, n::SpeedSetpointActual, r.setpointRpm);
    WritePhysical(model, n::ActuatorPos, r.actuatorPercent);
    WritePhysical(model, n::FuelQuantity, r.fuelPercent);
    WritePhysical(model, n::BoostPressure, r.boostBar);
    WritePhysical(model, n::OilPressure, r.oilPressureBar);
    WritePhysical(model, n::OilTemp, r.oilTempC);
    WritePhysical(model, n::CoolantTemp, r.coolantTempC);
    WritePhysical(model, n::SupplyVoltage, supplyVolts);
    WritePhysical(model, n::ActuatorCurrent, r.actuatorCurrentMa);
    WritePhysical(model, n::SpeedDeviation, r.running ? r.speedRpm - r.setpointRpm : 0);
    WritePhysical(model, n::DigitalInputs, kRunSwitchOn);
    WritePhysical(model, n::RelayOutputs, r.running ? kRunningRelay : 0);
    WritePhysical(model, n::StatusWord, (r.running ? kStatusRunning : 0) | (r.fuelCut ? kStatusFuelCut : 0));
    for (int input = 0; input < kAnalogInputs; ++input) {
        WritePhysical(model, n::AnalogInValue + input, input == 0 ? kSetpointInputMa : kIdleInputMa);
    }
    WritePhysical(model, n::PwmOutDuty, kPwmDutyMinPercent + kPwmDutySpan * std::max(0.0, r.actuatorPercent));
    WriteCounters(model, atMs, engine.Starts());
}

}  // namespace vekgov
