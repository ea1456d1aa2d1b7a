// One run of the tool against one governor: the real one on a serial port,
// or the built-in simulated governor. Sets the log file, connects on demand
// and closes the connection at the end.
#pragma once

#include "Options.hpp"

#include <memory>
#include <string>

namespace vekgov {
class InProcessHost;
}

namespace vektool {

class Session {
public:
    // Configures the stream (port or simulator) and the log; throws ToolError.
    explicit Session(const Options& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs the connection sequence; throws ToolError with the reason.
    void Connect();
    // "COM3 at 9600 baud" or "simulated governor (profile default)".
    std::string Describe() const;
    const Options& Settings() const { return options_; }

private:
    Options options_;
    std::unique_ptr<vekgov::InProcessHost> simulator_;
    bool connected_ = false;
};

// The profile names of the simulated governor, comma-separated.
std::string SimulatorProfileNames();

}  // namespace vektool
