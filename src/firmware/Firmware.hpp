// The steps of a firmware upload: erase, one of the two transfers, and the
// wait for the governor's restart (which the reset command shares).
#pragma once

namespace vek {

// One erase exchange. A governor that answers that it restarts is waited
// for and reconnected; *restarted (when asked for) tells whether it did.
bool EraseFirmwareStep(bool* restarted);

// Streams the image as one long command, then waits for the restart.
bool RunBasicTransfer();
// Sends the image in numbered blocks of the governor's size, terminates the
// upload with size and checksum, then waits for the restart.
bool RunExtendedTransfer();

// Waits until the governor stops answering, pauses while it boots and
// reconnects within StartupWait. True when the connection stands again.
bool WaitForRestart();

}  // namespace vek
