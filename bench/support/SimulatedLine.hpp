// A simulated governor serving a new pseudo-terminal from a thread of its
// own, as vekgov does as a program, with its exchange log off. Paced, every
// byte takes its wire time at the rate the host set; unpaced, replies
// arrive as fast as the terminal passes them.
#pragma once

#include "Governor.hpp"
#include "PtyServer.hpp"

#include <memory>
#include <string>
#include <thread>

namespace vekbench {

class SimulatedLine {
public:
    SimulatedLine(vekgov::DeviceProfile profile, bool paced);
    ~SimulatedLine();
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;

    // Empty when the pseudo-terminal could not be made.
    const std::string& DevicePath() const;
    vekgov::PtyServer& Server() { return *pty_; }

private:
    vekgov::Governor governor_;
    std::unique_ptr<vekgov::PtyServer> pty_;
    std::thread thread_;
    std::string noPath_;
};

// VekConfigureSerialStream for the terminal at path and baud.
bool ConfigurePort(const std::string& path, uint32_t baud);

}  // namespace vekbench
