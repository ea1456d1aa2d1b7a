#include "VekgovOptions.hpp"

#include "Profiles.hpp"

#include <cerrno>
#include <cstdlib>

namespace vekgov {

namespace {

constexpr uint8_t kLastCommandByte = 0xFF;

// A whole decimal or 0x-prefixed hexadecimal number up to max.
std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != 0 || value > max) return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::string Join(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::string_view name : names) {
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text;
}

std::string FaultNames() {
    std::vector<std::string_view> names;
    for (const FaultInfo& info : kFaults) names.push_back(info.name);
    return Join(names);
}

// "--name=value" or "--name value"; advances i past what it took.
std::optional<std::string> ValueOf(const std::vector<std::string>& args, size_t& i, const std::string& name,
                                   std::string& error) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg[name.size()] == '=') return arg.substr(name.size() + 1);
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return std::nullopt;
    }
    return args[++i];
}

// The number after a --name option, up to max.
std::optional<uint32_t> NumberOf(const std::vector<std::string>& args, size_t& i, const std::string& name,
                                 uint32_t max, std::string& error) {
    const std::optional<std::string> value = ValueOf(args, i, name, error);
    if (!value) return std::nullopt;
    const std::optional<uint32_t> number = ParseNumber(*value, max);
    if (!number) error = name + " takes a number from 0 to " + std::to_string(max);
    return number;
}

bool Is(const std::string& arg, const std::string& name) {
    return arg == name || (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
                           arg[name.size()] == '=');
}

}  // namespace

std::optional<FaultSwitch> ParseFaultSwitch(const std::string& text, std::string& error) {
    const size_t at = text.find_first_of("@#");
    if (at == std::string::npos) {
        error = "fault '" + text + "' needs @COMMAND or #EXCHANGE";
        return std::nullopt;
    }
    std::string name = text.substr(0, at);
    std::optional<uint32_t> argument;
    if (const size_t colon = name.find(':'); colon != std::string::npos) {
        argument = ParseNumber(name.substr(colon + 1), UINT32_MAX);
        if (!argument) {
            error = "fault '" + text + "' has a bad argument";
            return std::nullopt;
        }
        name.resize(colon);
    }
    const std::optional<Fault> fault = FaultByName(name);
    if (!fault) {
        error = "unknown fault '" + name + "' (known: " + FaultNames() + ")";
        return std::nullopt;
    }
    FaultSwitch result{InjectedFault(*fault, argument), std::nullopt, 1};

    std::string when = text.substr(at + 1);
    if (text[at] == '#') {
        const std::optional<uint32_t> exchange = ParseNumber(when, UINT32_MAX);
        if (!exchange || *exchange == 0) {
            error = "fault '" + text + "' needs an exchange number from 1 on";
            return std::nullopt;
        }
        result.count = *exchange;
        return result;
    }
    if (const size_t star = when.find('*'); star != std::string::npos) {
        const std::string times = when.substr(star + 1);
        const std::optional<uint32_t> count = ParseNumber(times, UINT32_MAX);
        if (times == "all") {
            result.count = kForever;
        } else if (count && *count > 0) {
            result.count = *count;
        } else {
            error = "fault '" + text + "' needs *TIMES from 1 on, or *all";
            return std::nullopt;
        }
        when.resize(star);
    }
    const std::optional<uint32_t> command = ParseNumber(when, kLastCommandByte);
    if (!command) {
        error = "fault '" + text + "' needs a command byte such as 0x02";
        return std::nullopt;
    }
    result.command = static_cast<uint8_t>(*command);
    return result;
}

std::optional<VekgovOptions> ParseVekgovOptions(const std::vector<std::string>& args, std::string& error) {
    VekgovOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string> value;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--live") {
            options.still = false;  // the default; older scripts still ask for it
        } else if (arg == "--still") {
            options.still = true;
        } else if (Is(arg, "--seed")) {
            const std::optional<uint32_t> seed = NumberOf(args, i, "--seed", UINT32_MAX, error);
            if (!seed) return std::nullopt;
            options.seed = *seed;
        } else if (arg == "--line-speed") {
            options.pace = true;
        } else if (Is(arg, "--line-speed")) {
            const std::optional<uint32_t> rate = ParseNumber(arg.substr(arg.find('=') + 1), UINT32_MAX);
            if (!rate || *rate == 0) {
                error = "--line-speed takes a rate in baud, such as --line-speed=9600";
                return std::nullopt;
            }
            options.pace = true;
            options.paceRate = *rate;
        } else if (Is(arg, "--profile")) {
            if (!(value = ValueOf(args, i, "--profile", error))) return std::nullopt;
            if (!FindProfile(*value)) {
                error = "unknown profile '" + *value + "' (known: " + Join(ProfileNames()) + ")";
                return std::nullopt;
            }
            options.profile = *value;
        } else if (Is(arg, "--definitions")) {
            if (!(value = ValueOf(args, i, "--definitions", error))) return std::nullopt;
            options.definitionFile = *value;
        } else if (Is(arg, "--device")) {
            if (!(value = ValueOf(args, i, "--device", error))) return std::nullopt;
            options.device = *value;
        } else if (Is(arg, "--link")) {
            if (!(value = ValueOf(args, i, "--link", error))) return std::nullopt;
            options.link = *value;
        } else if (Is(arg, "--log")) {
            if (!(value = ValueOf(args, i, "--log", error))) return std::nullopt;
            options.logFile = *value;
        } else if (Is(arg, "--fault")) {
            if (!(value = ValueOf(args, i, "--fault", error))) return std::nullopt;
            const std::optional<FaultSwitch> fault = ParseFaultSwitch(*value, error);
            if (!fault) return std::nullopt;
            options.faults.push_back(*fault);
        } else if (Is(arg, "--boot-time")) {
            if (!(options.bootTimeMs = NumberOf(args, i, "--boot-time", UINT32_MAX, error))) return std::nullopt;
        } else if (Is(arg, "--busy-erase")) {
            if (!(options.eraseBusyAnswers = NumberOf(args, i, "--busy-erase", UINT32_MAX, error))) return std::nullopt;
        } else if (Is(arg, "--read-block")) {
            const std::optional<uint32_t> values = NumberOf(args, i, "--read-block", UINT16_MAX, error);
            if (!values) return std::nullopt;
            options.readBlockValues = static_cast<uint16_t>(*values);
        } else {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        }
    }
    if (!options.device.empty() && !options.link.empty()) {
        error = "--link names a new pseudo-terminal; it does not go with --device";
        return std::nullopt;
    }
    return options;
}

void AddFaults(const std::vector<FaultSwitch>& faults, FaultPlan& plan) {
    for (const FaultSwitch& entry : faults) {
        if (entry.command) {
            plan.OnCommand(*entry.command, entry.fault, entry.count);
        } else {
            plan.AtExchange(entry.count, entry.fault);
        }
    }
}

void ApplyProfileSettings(const VekgovOptions& options, DeviceProfile& profile) {
    if (options.bootTimeMs) profile.bootTimeMs = *options.bootTimeMs;
    if (options.eraseBusyAnswers) profile.firmware.eraseBusyAnswers = *options.eraseBusyAnswers;
    if (options.readBlockValues) profile.valueReadBlockValues = *options.readBlockValues;
}

std::string VekgovUsage() {
    return "usage: vekgov [options]\n"
           "Serves a simulated governor on a new pseudo-terminal (its path is printed\n"
           "first) or on a serial device, until interrupted.\n"
           "  --profile NAME       the governor to simulate (" + Join(ProfileNames()) + ")\n"
           "  --definitions FILE   its parameter definitions from a definition file\n"
           "  --device PATH        serve this serial device instead of a pseudo-terminal\n"
           "  --link PATH          make PATH a symbolic link to the pseudo-terminal\n"
           "  --line-speed[=BAUD]  replies take the wire time of the host's rate (or of\n"
           "                       BAUD), 10 bits a byte\n"
           "  --log FILE           one line per exchange to FILE (- for standard output)\n"
           "  --fault RULE         NAME[:ARG]@CMD[*TIMES|*all] or NAME[:ARG]#EXCHANGE;\n"
           "                       faults: " + FaultNames() + "\n"
           "  --still              the engine stands at its setpoint: measurements and\n"
           "                       errors stay as they are (without it, the engine runs\n"
           "                       under its speed loop and its load steps now and then)\n"
           "  --seed N             the engine's load steps and noise (default 1): the same\n"
           "                       seed gives the same run\n"
           "  --boot-time MS       a restart keeps it silent this long\n"
           "  --busy-erase N       an extended erase answers \"busy\" N times first\n"
           "  --read-block N       values per block of a group read (0: as many as fit)\n";
}

}  // namespace vekgov
