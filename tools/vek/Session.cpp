#include "Session.hpp"

#include "TextOut.hpp"
#include "ToolError.hpp"

#include "InProcessHost.hpp"
#include "LiveOperation.hpp"
#include "Profiles.hpp"
#include "VekLib.h"

#include <optional>

namespace vektool {

namespace {

// The simulated governor's "port": it only names the configuration, whose
// rate the simulated line follows.
constexpr const char16_t* kSimulatorPortName = u"simulator";

void ConfigureStream(const std::u16string& port, uint32_t baud) {
    // Installs the serial port and the governor's baud rate request; the
    // simulator then replaces the port's operations with its own.
    if (!VekConfigureSerialStream(AsVekText(port), baud)) {
        throw ToolError("cannot configure the serial stream at " + std::to_string(baud) + " baud");
    }
}

}  // namespace

Session::Session(const Options& options) : options_(options) {
    if (!options_.logFile.empty()) VekSetLogFile(AsVekText(FromUtf8(options_.logFile)));
    if (!options_.port.empty()) {
        ConfigureStream(FromUtf8(options_.port), options_.baud);
        return;
    }
    std::optional<vekgov::DeviceProfile> profile = vekgov::FindProfile(options_.profile);
    if (!profile) {
        throw ToolError("unknown simulator profile '" + options_.profile +
                        "' (profiles: " + SimulatorProfileNames() + ")");
    }
    ConfigureStream(kSimulatorPortName, options_.baud);
    simulator_ = std::make_unique<vekgov::InProcessHost>(std::move(*profile));
    // The built-in governor runs an engine: its timer and measurements move
    // with real time and its errors come and go.
    vekgov::StartLiveOperation(simulator_->Model());
}

Session::~Session() {
    if (connected_) VekClose();
}

void Session::Connect() {
    if (VekInit()) {
        connected_ = true;
        return;
    }
    throw ToolError("cannot connect to the " + Describe() +
                    (options_.logFile.empty() ? " (run with --log FILE for the details)"
                                              : " (details in " + options_.logFile + ")"));
}

std::string Session::Describe() const {
    if (simulator_) return "simulated governor (profile " + options_.profile + ")";
    return "governor on " + options_.port + " at " + std::to_string(options_.baud) + " baud";
}

std::string SimulatorProfileNames() {
    std::string names;
    for (const std::string_view name : vekgov::ProfileNames()) {
        if (!names.empty()) names += ", ";
        names += name;
    }
    return names;
}

}  // namespace vektool
