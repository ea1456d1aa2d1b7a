// Whether the governor still answers, and building the connection again so
// that a tool that was sampling timed list 0 can go on.
#include "VekLib.h"
#include "connection/Connection.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "transport/Stream.hpp"

extern "C" {

VEK_API int32_t VEK_CALL VekPing(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        LogMessage(u"Pinging...");
        CommLock lock;
        if (!StreamIsOpen()) return 0;
        // The actual errors are the cheapest question every governor answers.
        TimeoutScope timeout(Stream().ResponseTimeout);
        return VekReadActualErrors();
    });
}

VEK_API int32_t VEK_CALL VekReconnect(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        vek::CommLock lock;
        VekClose();
        // Unlike VekInit, a failure leaves the stream as the failing step left it.
        if (!vek::RunConnectionSequence()) return 0;
        if (VekInBootstrapMode()) return 1;
        // Count 0 and no numbers: list 0 from the entry the library keeps.
        return VekSetTimedList(0, 0, nullptr);
    });
}

}  // extern "C"
