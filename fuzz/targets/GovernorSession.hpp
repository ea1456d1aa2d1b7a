// The fixed session that the governor-replies target drives and that the
// seed generator records against the simulated governor: connect (with a
// rate change), download the definitions, read and write values (one by one
// and in blocks), sample a timed list, read the actual errors, read,
// acknowledge and erase the error memory, use the parameter pages, ping and
// reconnect. Waits are instant (a fake clock runs meanwhile).
#pragma once

#include "VekLib.h"

#include <cstdint>

namespace vekfuzz {

// The rate the session configures, so that the connection asks the governor
// to change its rate.
constexpr uint32_t kSessionBaudRate = 19200;

// Configures the stream record for the session (port name and rate, the
// library's time-outs and its rate request hook) and puts the record's
// previous contents back at the end of its life. Install the stream that
// talks to the governor after this.
class SessionRecord {
public:
    SessionRecord();
    ~SessionRecord();
    SessionRecord(const SessionRecord&) = delete;
    SessionRecord& operator=(const SessionRecord&) = delete;

private:
    SerialStream saved_;
};

// An empty definition store, a zeroed device record, direct set on.
void ResetLibraryState();

// Starts from an empty definition store and a zeroed device record, so that
// the same replies always take the library down the same road.
void RunGovernorSession();

}  // namespace vekfuzz
