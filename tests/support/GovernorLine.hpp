// A serial port with a simulated governor at its other end, for the tests
// that drive the real port code. On POSIX it is a pseudo-terminal served by
// a thread of the test process; on Windows (under Wine) a COM port that the
// test harness (tests/wine/run-tests) linked to vekgov running natively,
// named by an environment variable. Without one the tests skip.
#pragma once

#include <memory>
#include <string>

namespace vektest {

enum class LineKind {
    Healthy,       // the default governor
    CutSyncReply,  // answers the synchronisation with its last byte missing
};

class GovernorLine {
public:
    explicit GovernorLine(LineKind kind);
    ~GovernorLine();
    GovernorLine(const GovernorLine&) = delete;
    GovernorLine& operator=(const GovernorLine&) = delete;

    // Empty when the line is there; else the reason to skip.
    const std::string& Unavailable() const { return unavailable_; }
    // The name to configure the serial stream with.
    const std::u16string& PortName() const { return portName_; }

private:
    struct Server;
    std::unique_ptr<Server> server_;
    std::string unavailable_;
    std::u16string portName_;
};

}  // namespace vektest
