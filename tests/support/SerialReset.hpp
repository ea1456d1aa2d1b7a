// Puts the serial port and the stream record back to their state at load,
// closing a port that a test left open.
#pragma once

namespace vektest {

void ResetSerialPort();

}  // namespace vektest
