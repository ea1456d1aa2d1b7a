// Erasing the governor's firmware, the first step of every upload. A
// governor that cannot erase the firmware it runs restarts (into its boot
// loader) to do so; the caller then erases once more.
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "firmware/Firmware.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "platform/Platform.hpp"
#include "transport/Stream.hpp"

#include <algorithm>

namespace vek {

namespace {

// The governor's answers to an erase request.
namespace erase_status {
constexpr uint16_t Done = 0;
constexpr uint16_t Busy = 1;        // extended protocol: ask again
constexpr uint16_t Restarting = 9;  // it restarts before it can erase
}  // namespace erase_status

// One erase request; its status word goes to LastStatus.
bool RequestErase(bool extended) {
    if (!extended) return SendByte(cmd::EraseFirmware) && ReadStatus();
    const uint8_t request[] = {cmd::FirmwareErase};
    return SendByte(cmd::Firmware) && SendBlock(request, sizeof request) && ReadStatus();
}

// Asks again while the governor answers "busy", but not for longer than the
// erase time-out: a governor that stays busy for ever must not hang the
// caller. It then fails with the busy status.
bool Erase() {
    const bool extended = HasCommandsInfo(commands_info::ExtendedFirmware);
    TimeoutScope timeout(Stream().EraseTimeout);
    if (!RequestErase(extended)) return false;
    const uint32_t busyLimit = static_cast<uint32_t>(std::max<int32_t>(Stream().EraseTimeout, 0));
    const uint32_t start = platform::TickCount();
    while (extended && Core().lastStatus == erase_status::Busy && platform::TickCount() - start < busyLimit) {
        if (!RequestErase(extended)) return false;
    }
    return true;
}

}  // namespace

bool EraseFirmwareStep(bool* restarted) {
    LogMessage(u"Erasing firmware...");
    ReportStatus(u"Erasing firmware");
    CommLock lock;
    if (!Erase()) return false;
    const uint16_t status = Core().lastStatus;
    if (status == erase_status::Restarting) {
        if (!WaitForRestart()) return false;
        if (restarted) *restarted = true;
        return true;
    }
    if (status != erase_status::Done) {
        LogTranslated(u"Failed to erase the firmware, status %u", status);
        return false;
    }
    if (restarted) *restarted = false;
    return true;
}

}  // namespace vek

extern "C" VEK_API int32_t VEK_CALL VekEraseFirmware(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        return vek::EraseFirmwareStep(nullptr) ? 1 : 0;
    });
}
