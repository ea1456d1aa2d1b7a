// A governor's serial line behind a real device server speaking RFC 2217:
// on POSIX, ser2net started by the test in front of a governor served on a
// pseudo-terminal by the test process; under Wine, the one the test harness
// started (VEK_TEST_RFC2217 names it). Without ser2net the tests skip.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vektest {

class NetworkLine {
public:
    NetworkLine();
    ~NetworkLine();
    NetworkLine(const NetworkLine&) = delete;
    NetworkLine& operator=(const NetworkLine&) = delete;

    // Empty when the line is there; else the reason to skip.
    const std::string& Unavailable() const { return unavailable_; }
    // rfc2217://127.0.0.1:PORT
    const std::u16string& PortName() const { return portName_; }

    // Stops and starts the device server (POSIX only; false elsewhere).
    bool StopServer();
    bool StartServer();
    // The rates the governor's line was set to, in order, repeats left out
    // (POSIX only; empty elsewhere).
    std::vector<unsigned> RatesHeard() const;

private:
    struct Server;
    std::unique_ptr<Server> server_;
    std::string unavailable_;
    std::u16string portName_;
};

}  // namespace vektest
