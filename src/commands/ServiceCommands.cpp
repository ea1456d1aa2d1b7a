// The service commands: store, reset, click test, actuator auto-adjustment
// and clearing of the operating data. Each is one command byte and a status
// word; they differ in preconditions, time-outs and what follows a success.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "firmware/Firmware.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "transport/Stream.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace vek {

namespace {

// Governors of this hardware store without answering.
constexpr uint8_t kHardwareMajorSilentStore = 4;
// LastStatus when the store command could not be sent.
constexpr uint16_t kStoreNotSent = 0xFFFE;
// LastStatus before the click test or the auto-adjustment is asked, and
// after a precondition refused it.
constexpr uint16_t kNotAsked = 0xFFFF;
constexpr uint16_t kPreconditionRefused = 1;
// The governor answers a reset with this status before it restarts.
constexpr uint16_t kResetAccepted = 9;
// The parameter that holds the adjustment time in seconds.
constexpr uint32_t kAutoAdjustTimeId = 1900;
constexpr double kMsPerSecond = 1000.0;
// The one argument byte that follows the sub-command word of the clearing.
constexpr uint8_t kClearOperatingDataArgument = 0;

// Neither the click test nor the adjustment runs in the boot loader; the
// click test needs the feature bit, the adjustment its absence.
bool ActuatorCommandAllowed(bool needsClickTest) {
    return !VekInBootstrapMode() && HasFeature(features::ClickTest) == needsClickTest;
}

// The click test start and stop: one byte, one status word 0.
bool ClickTestCommand(uint8_t command) {
    if (!ActuatorCommandAllowed(true)) {
        Core().lastStatus = kPreconditionRefused;
        return false;
    }
    return SendByte(command) && ReadStatus() && Core().lastStatus == 0;
}

// The adjustment may take twice its time and one second more to start; a
// time that is no number or below 0 counts as 0.
int32_t AutoAdjustTimeout(double seconds) {
    const double usable = std::isnan(seconds) || seconds < 0 ? 0.0 : seconds;
    const double ms = (2 * usable + 1) * kMsPerSecond;
    const double limit = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(ms < limit ? ms : limit);
}

bool StartAutoAdjust() {
    if (!ActuatorCommandAllowed(false) || !VekGetParDef(kAutoAdjustTimeId)) {
        Core().lastStatus = kPreconditionRefused;
        return false;
    }
    double seconds = 0;
    if (!VekReadRawValue(kAutoAdjustTimeId) || !VekGetRealValue(kAutoAdjustTimeId, &seconds)) return false;
    TimeoutScope timeout(AutoAdjustTimeout(seconds));
    if (!SendByte(cmd::StartClickTest) || !ReadStatus() || Core().lastStatus != 0) return false;
    ReportStatus(u"StemAutoAdjustment Started.");
    return true;
}

}  // namespace

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekStore(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        LogMessage(u"Storing...");
        CallIdle();
        CommLock lock;
        TimeoutScope timeout(Stream().LongTimeout);
        if (!SendByte(cmd::Store)) {
            Core().lastStatus = kStoreNotSent;
            return 0;
        }
        if (Device().HardwareMajor == kHardwareMajorSilentStore) return 1;
        if (!ReadStatus()) return 0;
        const uint16_t status = Core().lastStatus;
        if (status != 0) LogMessage(u"Error detected during parameter store: %d", status);
        return status == 0 ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekReset(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        ReportStatus(u"Resetting governor");
        if (!SendByte(cmd::Reset) || !ReadStatus()) return 0;
        if (!StatusMatches(kStatusMask, kResetAccepted)) {
            LogTranslated(u"Failed to reset the governor (error %d)", Core().lastStatus);
            return 0;
        }
        // The values the governor works with after its restart.
        return WaitForRestart() && VekReadAllValues() == 0 ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekStartClickTest(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        Core().lastStatus = kNotAsked;
        ReportStatus(u"Starting Click Test.");
        if (!ClickTestCommand(cmd::StartClickTest)) return 0;
        ReportStatus(u"Click Test Started.");
        return 1;
    });
}

VEK_API int32_t VEK_CALL VekStopClickTest(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        ReportStatus(u"Stopping Click Test");
        if (!ClickTestCommand(cmd::StopClickTest)) return 0;
        ReportStatus(u"Click Test Stopped.");
        return 1;
    });
}

VEK_API int32_t VEK_CALL VekActuatorAutoAdjust(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        Core().lastStatus = kNotAsked;
        ReportStatus(u"Starting StemAutoAdjustment");
        return StartAutoAdjust() ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekClearOperatingData(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        Frame block;
        block.Word(cmd::ExtClearOperatingData).Byte(kClearOperatingDataArgument);
        if (!SendByte(cmd::Extended) || !SendBlock(block.data(), block.size())) return 0;
        Translated failure(u"Failed to clear operating data");
        return ExpectStatus(kStatusMask, 0, failure) ? 1 : 0;
    });
}

}  // extern "C"
