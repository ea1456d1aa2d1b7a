// One run of the tool against one governor: the real one on a serial port,
// or the built-in simulated governor. Keeps the library's log, connects on
// demand and closes the connection at the end.
#pragma once

#include "LibraryLog.hpp"
#include "Options.hpp"
#include "ToolError.hpp"

#include <functional>
#include <memory>
#include <string>

namespace vekgov {
class InProcessHost;
}

namespace vektool {

class Session {
public:
    explicit Session(const Options& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Configures the stream (port or simulator) and runs the connection
    // sequence; throws ToolError (kExitNoConnection) with the library's reason.
    void Connect();
    // "governor on COM3 at 9600 baud" or "simulated governor (profile default)".
    std::string Describe() const;
    const Options& Settings() const { return options_; }
    LibraryLog& Log() { return log_; }

    // Runs one library operation, named by what ("load x.prm"); when call
    // returns false, throws ToolError "what failed: <the library's reason>"
    // (or the governor's last status word when the library gave none and it is not 0).
    void Require(const std::string& what, const std::function<bool()>& call, int status = kExitFailed);

private:
    void ConfigureStream();

    Options options_;
    LibraryLog log_;
    std::unique_ptr<vekgov::InProcessHost> simulator_;
    bool connected_ = false;
};

// The profile names of the simulated governor, comma-separated.
std::string SimulatorProfileNames();

}  // namespace vektool
