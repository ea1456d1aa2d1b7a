// The governor's supervision of the communication time-out.
#include "VekLib.h"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

extern "C" VEK_API int32_t VEK_CALL VekEnableTimeoutCheck(uint8_t flag) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        const uint8_t request[] = {cmd::TimeoutCheck, static_cast<uint8_t>(flag ? 1 : 0)};
        return SendBytes(request, sizeof request) && ReadStatus() && Core().lastStatus == 0 ? 1 : 0;
    });
}
