// One library operation recorded against the governor that the stream record
// reaches, then replayed without it: writes go nowhere and reads return the
// recorded replies in order. A replay costs only the library's own work, so
// its time and instruction count are the library's share alone. The stream
// record is put back after each run; the last recording is the one replayed.
#pragma once

#include "VekLib.h"

#include <functional>

namespace vekbench {

class ReplayedOperation {
public:
    // operation: true when the library reported success.
    explicit ReplayedOperation(std::function<bool()> operation);
    ReplayedOperation(const ReplayedOperation&) = delete;
    ReplayedOperation& operator=(const ReplayedOperation&) = delete;

    // Runs the operation against the governor; false when it failed.
    bool Record();
    // Runs it again from the recording (after Record); false when it failed
    // or asked for more than was recorded.
    bool Replay();

private:
    std::function<bool()> operation_;
    SerialStream saved_;
};

}  // namespace vekbench
