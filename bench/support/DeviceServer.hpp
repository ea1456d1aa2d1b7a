// ser2net serving a terminal as a device server on the loopback address,
// speaking RFC 2217, for as long as the object lives.
#pragma once

#include <string>
#include <sys/types.h>

namespace vekbench {

class DeviceServer {
public:
    explicit DeviceServer(const std::string& devicePath);
    ~DeviceServer();
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    // Empty when it serves; else why not.
    const std::string& Unavailable() const { return unavailable_; }
    // rfc2217://127.0.0.1:PORT
    const std::string& PortName() const { return portName_; }

private:
    std::string config_;
    std::string unavailable_;
    std::string portName_;
    pid_t pid_ = -1;
};

}  // namespace vekbench
