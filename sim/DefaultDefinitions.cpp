// The built-in governor's definitions: a speed governor with eight analog
// inputs, eight relay outputs, three controller sets, a second parameter set
// on the next page, its measurements, error states and versions, and the
// functions and curves that shape fuel, boost and temperature derating.
#include "Definitions.hpp"

#include <initializer_list>
#include <string>

namespace vekgov {

namespace {

// The IntCodes of the built-in profiles' version block.
namespace code {
constexpr uint8_t Flag = 0;        // 0 to 1
constexpr uint8_t Percent = 1;     // 0 to 100
constexpr uint8_t Thousand = 2;    // 0 to 1000
constexpr uint8_t Signed100 = 3;   // -100 to 100
constexpr uint8_t Positive = 4;    // 0 to 32767
constexpr uint8_t SignedWord = 5;  // -32768 to 32767
constexpr uint8_t Word = 6;        // 0 to 65535
constexpr uint8_t Range = 250;     // limits are the numbers of two range parameters
}  // namespace code

// Format bytes: decimals in bits 4-6, scaling in bit 3, two hex digits in bit 7.
constexpr uint8_t Decimals(uint8_t d) { return static_cast<uint8_t>(d << 4); }
constexpr uint8_t kScaled = 0x08;
constexpr uint8_t kTwoHexDigits = 0x80;

constexpr uint16_t Raw(int value) { return static_cast<uint16_t>(value); }  // negative: two's complement

class Builder {
public:
    Builder& Add(uint32_t number, std::string name, int min, int max, std::string unit, uint8_t intCode,
                 uint8_t format = 0, uint8_t count = 0) {
        defs_.push_back({number, std::move(name), Raw(min), Raw(max), std::move(unit), intCode, format, count, {}});
        return *this;
    }
    // An array of `elements` values: the governor sends one record whose count
    // is the number of further elements; their numbers follow the first.
    Builder& Array(uint32_t number, std::string name, int min, int max, std::string unit, uint8_t intCode,
                   uint8_t format, uint8_t elements) {
        return Add(number, std::move(name), min, max, std::move(unit), intCode, format,
                   static_cast<uint8_t>(elements - 1));
    }
    // The raw values the last definition added ships with, element by
    // element; the last one holds for the elements after it.
    Builder& StartAt(std::initializer_list<int> values) {
        for (const int value : values) defs_.back().startValues.push_back(Raw(value));
        return *this;
    }
    Builder& StartAt(int value) { return StartAt({value}); }
    std::vector<Definition> Take() { return std::move(defs_); }

private:
    std::vector<Definition> defs_;
};

// The speed limits of one parameter set as shipped, in rpm and 0.1 rpm/s:
// idle < rated < maximum < overspeed.
struct SpeedSet {
    int idle, rated, max, overspeed, start, ramp;
};
constexpr SpeedSet kFiftyHertz = {800, 1500, 1650, 1725, 300, 1000};
constexpr SpeedSet kSixtyHertz = {900, 1800, 1980, 2070, 300, 1000};
constexpr int kShippedDroop = 40;  // 4.0 %, switched off by EnableDroop

void SpeedParameters(Builder& b, uint32_t page, const std::string& suffix, const SpeedSet& set) {
    b.Add(page + 1, "IdleSpeed" + suffix, 400, 1500, "rpm", code::Positive).StartAt(set.idle);
    b.Add(page + 2, "RatedSpeed" + suffix, 1000, 2100, "rpm", code::Positive).StartAt(set.rated);
    b.Add(page + 3, "MaxSpeed" + suffix, 1000, 2400, "rpm", code::Positive).StartAt(set.max);
    b.Add(page + 4, "OverspeedLimit" + suffix, 1000, 2700, "rpm", code::Positive).StartAt(set.overspeed);
    b.Add(page + 5, "StartSpeed" + suffix, 50, 600, "rpm", code::Positive).StartAt(set.start);
    b.Add(page + 6, "SpeedRampUp" + suffix, 1, 5000, "rpm/s", code::Positive, Decimals(1)).StartAt(set.ramp);
    b.Add(page + 7, "SpeedRampDown" + suffix, 1, 5000, "rpm/s", code::Positive, Decimals(1)).StartAt(set.ramp);
    b.Add(page + 8, "Droop" + suffix, 0, 100, "%", code::Percent, Decimals(1)).StartAt(kShippedDroop);
    b.Add(page + 9, "SpeedTrim" + suffix, -100, 100, "rpm", code::Signed100);
}

// Three controller sets: normal, soft (a light load) and stiff (a heavy one).
void ControllerParameters(Builder& b) {
    b.Array(20, "GainP", 0, 1000, "", code::Thousand, Decimals(2), 3).StartAt({200, 120, 300});
    b.Array(24, "GainI", 0, 1000, "", code::Thousand, Decimals(2), 3).StartAt({100, 60, 150});
    b.Array(28, "GainD", 0, 1000, "", code::Thousand, Decimals(2), 3).StartAt({10, 5, 20});
    b.Array(32, "Stability", 0, 100, "%", code::Percent, 0, 3).StartAt({50, 70, 40});
    b.Add(36, "Controller Set", 0, 2, "", code::Positive);
    b.Add(37, "GainSchedule", 0, 1, "", code::Flag, 0, 2);  // IntCode 0: the count is only kept
    b.Array(40, "SpeedSetpoint", 0, 2400, "rpm", code::Positive, 0, 8)
        .StartAt({1500, 1000, 1200, 1400, 1550, 1600, 900, 800});
    b.Add(50, "SetpointSelect", 0, 7, "", code::Positive);
    b.Add(51, "EnableSpeedRamp", 0, 1, "", code::Flag).StartAt(1);
    b.Add(52, "EnableDroop", 0, 1, "", code::Flag);
    b.Add(53, "EnableIdleSwitch", 0, 1, "", code::Flag);
}

void FuelParameters(Builder& b) {
    b.Add(60, "StartFuel", 0, 1000, "%", code::Thousand, Decimals(1)).StartAt(450);
    b.Add(61, "MaxFuel", 0, 1000, "%", code::Thousand, Decimals(1)).StartAt(1000);
    b.Add(62, "MinFuel", 0, 1000, "%", code::Thousand, Decimals(1));
    b.Add(63, "Fuel Limit Boost", 0, 1000, "%", code::Thousand, Decimals(1)).StartAt(800);
    // The actuator's travel: the raw span 0..1000 stands for -5.0..105.0 %,
    // so the raw 50 and 950 are 0.5 % and 99.5 %.
    b.Add(64, "ActuatorPosMin", -50, 1050, "%", code::Thousand, Decimals(1) | kScaled).StartAt(50);
    b.Add(65, "ActuatorPosMax", -50, 1050, "%", code::Thousand, Decimals(1) | kScaled).StartAt(950);
    b.Add(66, "ActuatorGain", 0, 2000, "", code::Positive, Decimals(3)).StartAt(1000);
    b.Add(67, "ActuatorDither", 0, 100, "%", code::Percent).StartAt(5);
    b.Add(68, "ActuatorCurrentMax", 0, 8000, "mA", code::Positive).StartAt(5000);
    // How long the actuator's automatic adjustment may take.
    b.Add(1900, "StemAdjustTime", 0, 600, "s", code::Thousand, Decimals(1)).StartAt(300);
}

// Range parameters: each pair limits a parameter with IntCode 250, whose
// min and max are the pair's numbers. The pairs start at limits a governor
// ships with, so that the parameters they limit have a range to move in.
void RangeParameters(Builder& b) {
    b.Add(100, "SpeedLimitLow", 0, 2400, "rpm", code::Positive).StartAt(600);
    b.Add(101, "SpeedLimitHigh", 0, 2400, "rpm", code::Positive).StartAt(1800);
    b.Add(102, "SpeedSetpointUser", 100, 101, "rpm", code::Range).StartAt(1500);
    b.Add(103, "TempLimitLow", -400, 1500, "\xB0""C", code::SignedWord, Decimals(1)).StartAt(-200);
    b.Add(104, "TempLimitHigh", -400, 1500, "\xB0""C", code::SignedWord, Decimals(1)).StartAt(1100);
    b.Add(105, "TempWarning", 103, 104, "\xB0""C", code::Range).StartAt(95);  // whole degrees
    b.Add(106, "TempShutdown", 103, 104, "\xB0""C", code::Range).StartAt(105);
}

void CommunicationParameters(Builder& b) {
    b.Add(120, "CanNodeId", 0, 0xFF, "Hex", code::Word, kTwoHexDigits).StartAt(0x01);
    b.Add(121, "CanBaudrate", 0, 7, "", code::Positive).StartAt(3);
    b.Add(122, "CanTxId", 0, 0x7FF, "Hex", code::Word).StartAt(0x181);
    b.Add(123, "CanRxId", 0, 0x7FF, "Hex", code::Word).StartAt(0x201);
    b.Add(124, "ConfigFlags", 0, 0xFFFF, "Hex", code::Word);
    b.Add(125, "DigitalInputMask", 0, 0xFF, "hex", code::Word, kTwoHexDigits).StartAt(0xFF);
    b.Add(126, "SerialTimeout", 0, 10000, "ms", code::Positive).StartAt(1000);
    b.Add(127, "HourCounterPreset", 0, 65535, "h", code::Word);
    b.Add(128, "TempOffset", -500, 500, "\xB0""C", code::SignedWord, Decimals(1));
    b.Add(129, "PressureOffset", -100, 100, "bar", code::Signed100, Decimals(2));
}

// Analog inputs take 4-20 mA, with a broken wire below 3 mA and a short
// above 21 mA; the first one carries the speed setpoint.
void InputOutputParameters(Builder& b) {
    for (uint32_t n = 1; n <= 8; ++n) {
        const std::string in = "AnalogIn" + std::to_string(n);
        const uint32_t base = 200 + (n - 1) * 10;
        b.Add(base, in + "Function", 0, 31, "", code::Positive).StartAt(n == 1 ? 1 : 0);
        b.Add(base + 1, in + "Min", 0, 2500, "mA", code::Positive, Decimals(2)).StartAt(400);
        b.Add(base + 2, in + "Max", 0, 2500, "mA", code::Positive, Decimals(2)).StartAt(2000);
        b.Add(base + 3, in + "Filter", 0, 10000, "ms", code::Positive).StartAt(100);
        b.Add(base + 4, in + "ErrLow", 0, 2500, "mA", code::Positive, Decimals(2)).StartAt(300);
        b.Add(base + 5, in + "ErrHigh", 0, 2500, "mA", code::Positive, Decimals(2)).StartAt(2100);
        b.Add(base + 6, in + "Offset", -1000, 1000, "", code::SignedWord, Decimals(1));
    }
    for (uint32_t n = 1; n <= 8; ++n) {
        const std::string relay = "Relay" + std::to_string(n);
        const uint32_t base = 300 + (n - 1) * 5;
        b.Add(base, relay + "Function", 0, 63, "", code::Positive).StartAt(n == 1 ? 1 : 0);
        b.Add(base + 1, relay + "OnDelay", 0, 6000, "s", code::Positive, Decimals(1)).StartAt(10);
        b.Add(base + 2, relay + "OffDelay", 0, 6000, "s", code::Positive, Decimals(1)).StartAt(10);
        b.Add(base + 3, relay + "Inverted", 0, 1, "", code::Flag);
    }
    for (uint32_t n = 1; n <= 8; ++n) {
        const std::string in = "DigitalIn" + std::to_string(n);
        const uint32_t base = 350 + (n - 1) * 3;
        b.Add(base, in + "Function", 0, 63, "", code::Positive).StartAt(n == 1 ? 1 : 0);
        b.Add(base + 1, in + "Delay", 0, 10000, "ms", code::Positive).StartAt(50);
        b.Add(base + 2, in + "Inverted", 0, 1, "", code::Flag);
    }
    for (uint32_t n = 1; n <= 4; ++n) {
        const std::string pwm = "PwmOut" + std::to_string(n);
        const uint32_t base = 400 + (n - 1) * 5;
        b.Add(base, pwm + "Function", 0, 31, "", code::Positive).StartAt(n == 1 ? 1 : 0);
        b.Add(base + 1, pwm + "Frequency", 10, 5000, "Hz", code::Positive).StartAt(200);
        b.Add(base + 2, pwm + "DutyMin", 0, 1000, "%", code::Thousand, Decimals(1)).StartAt(100);
        b.Add(base + 3, pwm + "DutyMax", 0, 1000, "%", code::Thousand, Decimals(1)).StartAt(900);
    }
}

// Warning and shutdown levels of the monitored values, with their delays:
// oil pressure warns above its stop level, temperatures below theirs.
void ProtectionParameters(Builder& b) {
    b.Add(500, "OilPressureWarn", 0, 1000, "bar", code::Positive, Decimals(2)).StartAt(150);
    b.Add(501, "OilPressureStop", 0, 1000, "bar", code::Positive, Decimals(2)).StartAt(100);
    b.Add(502, "OilPressureDelay", 0, 600, "s", code::Positive, Decimals(1)).StartAt(50);
    b.Add(503, "CoolantTempWarn", -400, 1500, "\xB0""C", code::SignedWord, Decimals(1)).StartAt(950);
    b.Add(504, "CoolantTempStop", -400, 1500, "\xB0""C", code::SignedWord, Decimals(1)).StartAt(1050);
    b.Add(505, "CoolantTempDelay", 0, 600, "s", code::Positive, Decimals(1)).StartAt(50);
    b.Add(506, "BoostPressureMax", 0, 5000, "bar", code::Positive, Decimals(3)).StartAt(3000);
    b.Add(507, "SupplyVoltageMin", 0, 400, "V", code::Positive, Decimals(1)).StartAt(180);
    b.Add(508, "SupplyVoltageMax", 0, 400, "V", code::Positive, Decimals(1)).StartAt(320);
    b.Add(509, "ShutdownMode", 0, 3, "", code::Positive).StartAt(1);
    b.Add(510, "AutoRestart", 0, 1, "", code::Flag);
    b.Add(511, "RestartDelay", 0, 3600, "s", code::Positive).StartAt(30);
}

void Measurements(Builder& b) {
    b.Add(2000, "Speed", 0, 4000, "rpm", code::Positive);
    b.Add(2001, "SpeedSetpointActual", 0, 4000, "rpm", code::Positive);
    b.Add(2002, "ActuatorPos", -50, 1050, "%", code::Thousand, Decimals(1) | kScaled);
    b.Add(2003, "FuelQuantity", 0, 1000, "%", code::Thousand, Decimals(1));
    b.Add(2004, "BoostPressure", 0, 5000, "bar", code::Positive, Decimals(3));
    b.Add(2005, "OilPressure", 0, 1000, "bar", code::Positive, Decimals(2));
    b.Add(2006, "Oil Temp", -400, 1500, "\xB0""C", code::SignedWord, Decimals(1));
    b.Add(2007, "CoolantTemp", -400, 1500, "\xB0""C", code::SignedWord, Decimals(1));
    b.Add(2008, "SupplyVoltage", 0, 400, "V", code::Positive, Decimals(1));
    b.Add(2009, "ActuatorCurrent", 0, 8000, "mA", code::Positive);
    b.Add(2010, "SpeedDeviation", -100, 100, "rpm", code::Signed100);
    b.Add(2011, "DigitalInputs", 0, 0xFF, "Hex", code::Word, kTwoHexDigits);
    b.Add(2012, "RelayOutputs", 0, 0xFF, "Hex", code::Word, kTwoHexDigits);
    b.Add(2013, "StatusWord", 0, 0xFFFF, "Hex", code::Word);
    b.Add(2014, "HourCounter", 0, 65535, "h", code::Word);
    b.Add(2015, "StartCounter", 0, 65535, "", code::Word);
    b.Array(2020, "AnalogInValue", 0, 2500, "mA", code::Positive, Decimals(2), 8);
    b.Array(2030, "PwmOutDuty", 0, 1000, "%", code::Thousand, Decimals(1), 4);
    b.Add(2999, "Timer", 0, 65535, "ms", code::Word);
}

// Error states: 0 not present, 1 present, 2 stored, 3 acknowledged.
void ErrorStates(Builder& b) {
    const char* const errors[] = {"SpeedSensor1", "SpeedSensor2", "Overspeed", "Underspeed", "ActuatorOpen",
                                  "ActuatorShort", "ActuatorDrift", "SupplyLow", "SupplyHigh", "CanBusOff",
                                  "CanTimeout", "SerialTimeout", "EepromCrc", "ParamCrc", "Watchdog",
                                  "OilPressure", "CoolantTemp", "BoostPressure", "FuelLimit", "Shutdown"};
    uint32_t number = 3100;
    for (const char* error : errors) b.Add(number++, std::string("Err") + error, 0, 3, "", code::Positive);
    for (uint32_t n = 1; n <= 8; ++n) {
        const std::string in = "ErrAnalogIn" + std::to_string(n);
        b.Add(3200 + (n - 1) * 2, in + "Low", 0, 3, "", code::Positive);
        b.Add(3200 + (n - 1) * 2 + 1, in + "High", 0, 3, "", code::Positive);
    }
    for (uint32_t n = 1; n <= 8; ++n) b.Add(3280 + n - 1, "ErrRelay" + std::to_string(n), 0, 3, "", code::Positive);
}

// Shown in the version style: with decimals, max below 10000 gives "51.23",
// above it "52.1.23"; without decimals, as many digits as max has. The
// software and hardware versions are those of the profile (DeviceRecord.hpp).
void Versions(Builder& b) {
    b.Add(3840, "SoftwareVersion", 0, 65535, "", code::Word, Decimals(2));
    b.Add(3841, "HardwareVersion", 0, 9999, "", code::Word, Decimals(2));
    b.Add(3842, "BootVersion", 0, 9999, "", code::Word, Decimals(2)).StartAt(105);
    b.Add(3843, "ParameterVersion", 0, 999, "", code::Word).StartAt(12);
    b.Add(3844, "CanProtocolVersion", 0, 9999, "", code::Word, Decimals(2)).StartAt(301);
    b.Add(3845, "SerialProtVersion", 0, 9999, "", code::Word, Decimals(2)).StartAt(210);
    b.Add(3846, "ConfigVersion", 0, 65535, "", code::Word).StartAt(1);
    b.Add(3847, "CustomerVersion", 0, 65535, "", code::Word, Decimals(2)).StartAt(100);
}

// Functions: x and y points of characteristic lines, 10 or 6 points each,
// x ascending.
void Functions(Builder& b) {
    b.Array(4000, "BoostLimitX", 0, 5000, "bar", code::Positive, Decimals(3), 10)
        .StartAt({0, 300, 600, 900, 1200, 1500, 1800, 2100, 2400, 2700});
    b.Array(4010, "BoostLimitY", 0, 1000, "%", code::Thousand, Decimals(1), 10)
        .StartAt({400, 480, 560, 640, 720, 800, 860, 920, 960, 1000});
    b.Array(4020, "StartFuelX", -400, 1500, "\xB0""C", code::SignedWord, Decimals(1), 6)
        .StartAt({-200, 0, 200, 400, 600, 800});
    b.Array(4030, "StartFuelY", 0, 1000, "%", code::Thousand, Decimals(1), 6).StartAt({650, 580, 520, 470, 450});
    b.Array(4040, "SpeedFuelX", 0, 2400, "rpm", code::Positive, 0, 10)
        .StartAt({600, 800, 1000, 1200, 1400, 1500, 1600, 1800, 2000, 2200});
    b.Array(4050, "SpeedFuelY", 0, 1000, "%", code::Thousand, Decimals(1), 10)
        .StartAt({700, 820, 920, 980, 1000, 1000, 980, 950, 900, 850});
    b.Array(4060, "DroopX", 0, 1000, "%", code::Thousand, Decimals(1), 6).StartAt({0, 200, 400, 600, 800, 1000});
    b.Array(4070, "DroopY", -100, 100, "rpm", code::Signed100, 0, 6).StartAt({0, -12, -24, -36, -48, -60});
    b.Add(4100, "BoostLimitEnable", 0, 1, "", code::Flag).StartAt(1);
    b.Add(4101, "StartFuelEnable", 0, 1, "", code::Flag).StartAt(1);
}

// Curves: 16-point maps of speed and temperature, x ascending.
void Curves(Builder& b) {
    b.Array(6000, "SpeedCurve", 0, 2400, "rpm", code::Positive, 0, 16)
        .StartAt({600, 700, 800, 900, 1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1800, 1900, 2000, 2100});
    b.Array(6020, "TempDerateX", -400, 1500, "\xB0""C", code::SignedWord, Decimals(1), 16)
        .StartAt({-200, -100, 0, 100, 200, 300, 400, 500, 600, 700, 800, 900, 950, 1000, 1050, 1100});
    b.Array(6040, "TempDerateY", 0, 1000, "%", code::Thousand, Decimals(1), 16)
        .StartAt({1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 900, 750, 500, 0});
    b.Array(6060, "PressureCurve", 0, 5000, "bar", code::Positive, Decimals(3), 16)
        .StartAt({0, 200, 400, 600, 800, 1000, 1200, 1400, 1600, 1800, 2000, 2200, 2400, 2600, 2800, 3000});
    b.Array(6080, "GainCurve", 0, 1000, "", code::Thousand, Decimals(2), 16).StartAt(100);
}

}  // namespace

std::vector<Definition> DefaultDefinitions() {
    Builder b;
    SpeedParameters(b, 0, "", kFiftyHertz);
    ControllerParameters(b);
    FuelParameters(b);
    RangeParameters(b);
    CommunicationParameters(b);
    InputOutputParameters(b);
    ProtectionParameters(b);
    SpeedParameters(b, 10000, "Set2", kSixtyHertz);  // the second parameter set, on the next page
    Measurements(b);
    ErrorStates(b);
    Versions(b);
    Functions(b);
    Curves(b);
    return b.Take();
}

}  // namespace vekgov
