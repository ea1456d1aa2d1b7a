// Waiting for the governor to restart after a firmware upload, an erase that
// needs a restart, or a reset: it goes silent, boots, and is connected again
// from scratch.
#include "VekLib.h"
#include "connection/Connection.hpp"
#include "core/Report.hpp"
#include "firmware/Firmware.hpp"
#include "platform/Platform.hpp"
#include "transport/SerialPort.hpp"
#include "transport/Stream.hpp"

#include <algorithm>

namespace vek {

namespace {

// The governor is not reachable while it boots.
constexpr uint32_t kBootPauseMs = 2500;
// A governor still answering this long after it announced its restart has
// not restarted; waiting longer would only hang the caller.
constexpr uint32_t kSilenceLimitMs = 5000;

// Pings until the governor stops answering. The failing reads are expected,
// so the port's error lines stay off meanwhile.
bool AwaitSilence() {
    const int32_t logSystemErrors = LogSystemErrors();
    SetLogSystemErrors(0);
    const uint32_t start = platform::TickCount();
    bool silent = false;
    while (!silent && platform::TickCount() - start < kSilenceLimitMs) silent = VekPing() == 0;
    SetLogSystemErrors(logSystemErrors);
    return silent;
}

// Connection attempts until one succeeds or StartupWait has passed; an
// attempt begun in time runs to its end.
bool Reconnect() {
    const uint32_t wait = static_cast<uint32_t>(std::max<int32_t>(Stream().StartupWait, 0));
    const uint32_t start = platform::TickCount();
    for (;;) {
        if (RunConnectionSequence()) return true;
        VekClose();
        if (platform::TickCount() - start > wait) return false;
    }
}

}  // namespace

bool WaitForRestart() {
    LogMessage(u"Waiting for reset...");
    if (!AwaitSilence()) {
        LogTranslated(u"The governor did not stop answering for its restart");
        return false;
    }
    VekClose();
    ReportStatus(u"Waiting for reset");
    platform::SleepMs(kBootPauseMs);
    if (Reconnect()) return true;
    LogTranslated(u"Timeout on expecting governor startup");
    return false;
}

}  // namespace vek
