// ser2net serving a terminal as a device server on the loopback address,
// speaking RFC 2217 (configured from tests/ser2net/governor.yaml), and the
// starting and ending of such helper programs. Used by the network port's
// tests and by the benchmark.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vektest {

// Starts the program with the default signal handling, whatever this
// process blocks or ignores, so that it ends when asked to; -1 on failure.
pid_t SpawnProgram(const std::vector<std::string>& words);
// Asks the program to end, and makes it end when it does not within a while.
void EndProgram(pid_t& pid);

class DeviceServer {
public:
    // Starts ser2net in front of the terminal at devicePath.
    explicit DeviceServer(const std::string& devicePath);
    ~DeviceServer();
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    // Empty when it serves; else why not.
    const std::string& Unavailable() const { return unavailable_; }
    // rfc2217://127.0.0.1:PORT
    const std::string& PortName() const { return portName_; }

    // Stops and starts ser2net again on the same port.
    bool Stop();
    bool Start();

private:
    std::string config_;
    std::string unavailable_;
    std::string portName_;
    unsigned port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace vektest
