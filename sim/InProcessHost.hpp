// Puts a simulated governor at the other end of the library's stream record,
// in the same process: the stream operations feed the governor's engine and
// read its replies. Nothing ever waits: a read that finds fewer bytes than
// asked takes what there is and fails at once, like a time-out.
//
// The port and the governor each keep their own rate: after a rate change
// that the governor did not follow, the bytes written are lost, as on a real
// line.
#pragma once

#include "Governor.hpp"
#include "VekLib.h"

#include <cstdint>
#include <vector>

namespace vekgov {

// The rate after the last comma of the record's "port,baud" configuration;
// the start rate when there is none.
uint32_t ConfiguredBaudRate(const SerialStream& stream);

class InProcessHost {
public:
    // The default argument is resolved where the host is built, so only the
    // caller links the library.
    explicit InProcessHost(DeviceProfile profile, SerialStream* stream = VekGetStream());
    // Puts the record's previous contents back.
    ~InProcessHost();
    InProcessHost(const InProcessHost&) = delete;
    InProcessHost& operator=(const InProcessHost&) = delete;

    Governor& Device() { return governor_; }
    GovernorModel& Model() { return governor_.Model(); }
    ProtocolEngine& Engine() { return governor_.Engine(); }

    bool IsOpen() const { return open_; }
    uint32_t PortBaudRate() const { return portBaud_; }
    // Every time-out set through the stream, in order.
    const std::vector<int32_t>& Timeouts() const { return timeouts_; }

private:
    struct Slots;

    SerialStream* stream_;
    SerialStream saved_;
    Governor governor_;
    bool open_ = false;
    uint32_t portBaud_;
    int32_t timeout_;
    std::vector<int32_t> timeouts_;
};

}  // namespace vekgov
