#include "Session.hpp"

#include "TextOut.hpp"

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

void ConfigureSerialStream(const std::u16string& port, uint32_t baud) {
    // Installs the serial port and the governor's baud rate request; the
    // simulator then replaces the port's operations with its own.
    if (!VekConfigureSerialStream(AsVekText(port), baud)) {
        throw ToolError("cannot configure the serial stream at " + std::to_string(baud) + " baud");
    }
}

}  // namespace

Session::Session(const Options& options) : options_(options), log_(options.logFile) {
    if (options_.port.empty() && !vekgov::FindProfile(options_.profile)) {
        throw UsageError("unknown simulator profile '" + options_.profile +
                         "' (profiles: " + SimulatorProfileNames() + ")");
    }
}

Session::~Session() {
    if (connected_) VekClose();
}

void Session::ConfigureStream() {
    if (!options_.port.empty()) {
        ConfigureSerialStream(FromUtf8(options_.port), options_.baud);
        return;
    }
    if (simulator_) return;
    ConfigureSerialStream(kSimulatorPortName, options_.baud);
    simulator_ = std::make_unique<vekgov::InProcessHost>(*vekgov::FindProfile(options_.profile));
    // The built-in governor runs an engine: its timer and measurements move
    // with real time and its errors come and go.
    vekgov::StartLiveOperation(simulator_->Model());
}

void Session::Connect() {
    ConfigureStream();
    Require("connecting to the " + Describe(), [] { return VekInit() != 0; }, kExitNoConnection);
    connected_ = true;
}

void Session::Require(const std::string& what, const std::function<bool()>& call, int status) {
    log_.Mark();
    if (call()) return;
    std::string reason = log_.Reason();
    if (reason.empty() && VekGetLastError() != 0) reason = "status " + std::to_string(VekGetLastError());
    throw ToolError(what + " failed" + (reason.empty() ? "" : ": " + reason), status);
}

std::string Session::Describe() const {
    if (options_.port.empty()) return "simulated governor (profile " + options_.profile + ")";
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
