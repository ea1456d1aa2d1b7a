// The connection sequence and its steps. VekInit runs the sequence and closes
// the stream when it fails; the reconnection reuses it without closing.
#pragma once

#include "VekLib.h"

#include <cstdint>

namespace vek {

// Opens, synchronises, changes the rate, reads version and checksum block,
// requests the protocol features, sends the identifier and identifies the
// device, all under the communication lock. Logs the failing step's line.
bool RunConnectionSequence();

// The governor's side of a baud rate change, installed into the stream's
// RequestBaudRate slot by the serial port: announce, rate code, short wait.
int32_t VEK_CALL RequestGovernorBaudRate(SerialStream* stream, uint32_t baud);

// The steps, each logging its own failure detail; the sequence adds the
// step's failure line.
bool Synchronize();
bool ReadVersion();
bool ReadChecksumBlock();
bool SendIdentifier();

// Recomputes SoftwareMid and SoftwareVersion from the version bytes and the
// current SoftwareExtension of the checksum block.
void ApplySoftwareExtension();

}  // namespace vek
