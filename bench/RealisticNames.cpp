#include "RealisticNames.hpp"

#include <cctype>
#include <set>

namespace vekbench {

namespace {

const char* const kStems[] = {
    "Speed",   "IdleSpeed", "RatedSpeed", "Fuel",     "Boost",     "OilPressure", "OilTemp",   "CoolantTemp",
    "Actuator", "Gain",     "Droop",      "Ramp",     "Relay",     "AnalogIn",    "DigitalIn", "PwmOut",
    "Can",     "Temp",      "Pressure",   "Voltage",  "Current",   "Setpoint",    "Limit",     "Start",
    "Stop",    "Pump",      "Valve",      "Throttle", "Load",      "Torque",      "Power",     "Frequency",
    "Sync",    "Breaker",   "Generator",  "Bus",      "Phase",     "Lambda",      "Exhaust",   "Turbo",
    "Injection", "Rail",    "Timing",     "Knock",    "Air",       "Intake",      "Water",     "Battery",
    "Alternator", "Overspeed", "Underspeed", "Clutch", "Gear",     "Shaft",       "Fan",       "Heater"};
const char* const kQualifiers[] = {"Min",  "Max",    "Low",      "High",   "Warn", "Stop",  "Delay",
                                   "Filter", "Gain", "Offset",   "Enable", "Mode", "Time",  "Rate",
                                   "Limit", "Setpoint", "Actual", "Ref",    "Ramp", "Hyst", "Function"};
const char* const kPrefixes[] = {"", "", "", "", "Err", "Max", "Min", "Set2"};

template <class T, std::size_t N>
const T& Pick(const T (&items)[N], Sequence& seq) {
    return items[seq.Below(N)];
}

std::string MakeName(Sequence& seq) {
    std::string name = Pick(kPrefixes, seq);
    name += Pick(kStems, seq);
    if (seq.Below(3) == 0) name += std::to_string(1 + seq.Below(16));  // a numbered channel
    name += Pick(kQualifiers, seq);
    if (seq.Below(4) == 0) name += Pick(kQualifiers, seq);
    if (seq.Below(6) == 0) name += "(" + std::to_string(seq.Below(16)) + ")";  // an array element
    return name;
}

}  // namespace

std::vector<std::string> RealisticNames(std::size_t count) {
    Sequence seq(20054);
    std::set<std::string> seen;
    std::vector<std::string> names;
    while (names.size() < count) {
        std::string name = MakeName(seq);
        if (seen.insert(name).second) names.push_back(std::move(name));
    }
    return names;
}

std::string Misspelled(const std::string& name, uint32_t seed) {
    Sequence seq(seed);
    std::string result = name;
    const std::size_t at = seq.Below(result.size());
    switch (seq.Below(5)) {
        case 0:
            if (result.size() > 1) result.erase(at, 1);
            break;
        case 1: result.insert(at, 1, result[at]); break;
        case 2:
            if (at + 1 < result.size()) std::swap(result[at], result[at + 1]);
            break;
        case 3: {
            const unsigned char c = static_cast<unsigned char>(result[at]);
            result[at] = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
            break;
        }
        default: result += Pick(kQualifiers, seq); break;
    }
    return result;
}

}  // namespace vekbench
