// The caller's identifier, sent to the governor at every connection.
#include "connection/Connection.hpp"

#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

namespace vek {

bool SendIdentifier() {
    CommLock lock;
    Frame request;
    request.Byte(cmd::SendIdentifier).Word(Core().identifier);
    request.Word(request.SumFrom(1));  // sum of the identifier's two bytes
    return SendFrame(request) && ReadStatus() && Core().lastStatus == 0;
}

}  // namespace vek

extern "C" {

VEK_API uint32_t VEK_CALL VekSetIdentifier(uint32_t id) {
    return vek::Guarded<uint32_t>(__func__, 0, [&]() -> uint32_t {
        return vek::Core().identifier = static_cast<uint16_t>(id);
    });
}

VEK_API uint32_t VEK_CALL VekGetIdentifier(void) {
    return vek::Guarded<uint32_t>(__func__, 0, [&]() -> uint32_t {
        return vek::Core().identifier;
    });
}

}  // extern "C"
