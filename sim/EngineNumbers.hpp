// The numbers of the built-in definitions that the engine model reads and
// writes. A governor whose definitions lack one of them keeps the model's
// own setting for it, and the measurement is not shown.
#pragma once

#include <cstdint>

namespace vekgov {
namespace engine_number {

// Parameters of the speed loop.
constexpr uint32_t IdleSpeed = 1;
constexpr uint32_t RatedSpeed = 2;
constexpr uint32_t MaxSpeed = 3;
constexpr uint32_t OverspeedLimit = 4;
constexpr uint32_t StartSpeed = 5;
constexpr uint32_t SpeedRampUp = 6;
constexpr uint32_t SpeedRampDown = 7;
constexpr uint32_t Droop = 8;
constexpr uint32_t SpeedTrim = 9;
constexpr uint32_t GainP = 20;  // arrays of one element per controller set
constexpr uint32_t GainI = 24;
constexpr uint32_t GainD = 28;
constexpr uint32_t ControllerSet = 36;
constexpr uint32_t SpeedSetpoint = 40;  // an array of eight, chosen by SetpointSelect
constexpr uint32_t SetpointSelect = 50;
constexpr uint32_t EnableSpeedRamp = 51;
constexpr uint32_t EnableDroop = 52;
constexpr uint32_t StartFuel = 60;
constexpr uint32_t MaxFuel = 61;
constexpr uint32_t MinFuel = 62;
constexpr uint32_t ActuatorPosMin = 64;
constexpr uint32_t ActuatorPosMax = 65;
// Limits that raise errors.
constexpr uint32_t CoolantTempWarn = 503;
constexpr uint32_t CoolantTempDelay = 505;
constexpr uint32_t SupplyVoltageMin = 507;
constexpr uint32_t SupplyVoltageMax = 508;

// Measurements.
constexpr uint32_t Speed = 2000;
constexpr uint32_t SpeedSetpointActual = 2001;
constexpr uint32_t ActuatorPos = 2002;
constexpr uint32_t FuelQuantity = 2003;
constexpr uint32_t BoostPressure = 2004;
constexpr uint32_t OilPressure = 2005;
constexpr uint32_t OilTemp = 2006;
constexpr uint32_t CoolantTemp = 2007;
constexpr uint32_t SupplyVoltage = 2008;
constexpr uint32_t ActuatorCurrent = 2009;
constexpr uint32_t SpeedDeviation = 2010;
constexpr uint32_t DigitalInputs = 2011;
constexpr uint32_t RelayOutputs = 2012;
constexpr uint32_t StatusWord = 2013;
constexpr uint32_t HourCounter = 2014;
constexpr uint32_t StartCounter = 2015;
constexpr uint32_t AnalogInValue = 2020;  // eight inputs
constexpr uint32_t PwmOutDuty = 2030;     // four outputs
constexpr uint32_t SoftwareVersion = 3840;
constexpr uint32_t HardwareVersion = 3841;

// Errors the engine's limits raise.
constexpr uint32_t ErrOverspeed = 3102;
constexpr uint32_t ErrSupplyLow = 3107;
constexpr uint32_t ErrSupplyHigh = 3108;
constexpr uint32_t ErrCoolantTemp = 3116;

}  // namespace engine_number
}  // namespace vekgov
