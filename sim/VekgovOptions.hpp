// The command line of vekgov, the simulated governor as a program.
#pragma once

#include "DeviceProfile.hpp"
#include "Faults.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vekgov {

// One --fault switch: NAME[:ARG]@CMD[*TIMES] fires on the next TIMES
// requests with command byte CMD (once without *TIMES, for good with *all);
// NAME[:ARG]#N fires on the N-th exchange from the start.
struct FaultSwitch {
    InjectedFault fault;
    std::optional<uint8_t> command;  // empty: the exchange count decides
    size_t count = 1;                // times to fire, or the exchange number
};

constexpr size_t kForever = SIZE_MAX;

struct VekgovOptions {
    std::string profile = "default";
    std::string definitionFile;  // empty: the profile's own definitions
    std::string device;          // empty: a new pseudo-terminal
    std::string link;            // a symbolic link to make to the pseudo-terminal
    bool pace = false;           // replies take the wire time of the line
    uint32_t paceRate = 0;       // 0: the rate the host set on its side
    std::string logFile;         // "-" is standard output
    bool still = false;  // the engine stands at its setpoint, its measurements fixed
    uint64_t seed = 1;   // of the engine's load steps and noise
    std::vector<FaultSwitch> faults;
    // Settings that replace the profile's own.
    std::optional<uint32_t> bootTimeMs;
    std::optional<uint32_t> eraseBusyAnswers;
    std::optional<uint16_t> readBlockValues;
    bool help = false;
};

// Reads the arguments after the program name; on a mistake gives nothing
// and sets error to what is wrong.
std::optional<VekgovOptions> ParseVekgovOptions(const std::vector<std::string>& args, std::string& error);
std::optional<FaultSwitch> ParseFaultSwitch(const std::string& text, std::string& error);

void AddFaults(const std::vector<FaultSwitch>& faults, FaultPlan& plan);

// Puts the settings given on the command line into the profile.
void ApplyProfileSettings(const VekgovOptions& options, DeviceProfile& profile);

std::string VekgovUsage();

}  // namespace vekgov
