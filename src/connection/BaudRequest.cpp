// The governor's side of a baud rate change: announce it, send the rate's
// code, then give the governor time to switch before the port follows.
#include "connection/Connection.hpp"

#include "core/CommLock.hpp"
#include "core/Report.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "platform/Platform.hpp"
#include "transport/Stream.hpp"

namespace vek {

namespace {

struct BaudCode {
    uint32_t rate;
    uint8_t code;
};
constexpr BaudCode kBaudCodes[] = {{2400, 0},  {4800, 1},  {9600, 2},  {14400, 3},  {19200, 4},
                                   {28800, 5}, {38400, 6}, {57600, 7}, {115200, 8}, {230400, 9}};
constexpr uint32_t kBaudChangeWaitMs = 50;

bool SendBaudRequest(uint8_t argument) {
    const uint8_t request[] = {cmd::BaudRate, argument};
    return SendBytes(request, sizeof request);
}

// The code of a known rate; an unknown rate is logged and sent as the
// announcement code, which the governor refuses.
uint8_t BaudCodeOf(uint32_t baud) {
    for (const BaudCode& entry : kBaudCodes) {
        if (entry.rate == baud) return entry.code;
    }
    LogTranslated(u"Invalid baudrate %ul", baud);
    return cmd::BaudRateAnnounce;
}

}  // namespace

int32_t VEK_CALL RequestGovernorBaudRate(SerialStream*, uint32_t baud) {
    CommLock lock;
    LogMessage(u"Requesting to change the baudrate (%u)", baud);
    if (!SendBaudRequest(cmd::BaudRateAnnounce)) return 0;
    {
        TimeoutScope timeout(Stream().ResponseTimeout);
        if (!ReadStatus()) return 0;  // the announcement's status is only awaited, not tested
    }
    if (!SendBaudRequest(BaudCodeOf(baud))) return 0;
    if (!ExpectStatus(kStatusMask, 0, Translated(u"Failed to set baudrate to %lu bauds"), baud)) return 0;
    LogMessage(u"   Sleeping to let the ECU change its baudrate");
    platform::SleepMs(kBaudChangeWaitMs);
    return 1;
}

}  // namespace vek
