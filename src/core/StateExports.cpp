// The exports that set and read the library frame's state. None takes the
// communication lock.
#include "VekLib.h"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"

namespace {

template <class Slot>
void Store(Slot& slot, VekCallback function) {
    slot = reinterpret_cast<Slot>(function);
}

}  // namespace

extern "C" {

VEK_API void* VEK_CALL VekSetUserData(void* data) {
    return vek::Guarded<void*>(__func__, nullptr, [&]() -> void* {
        return vek::Core().userData = data;
    });
}

VEK_API void* VEK_CALL VekGetUserData(void) {
    return vek::Guarded<void*>(__func__, nullptr, [&]() -> void* {
        return vek::Core().userData;
    });
}

VEK_API void VEK_CALL VekSetCallback(uint32_t type, VekCallback function) {
    vek::Guarded(__func__, [&] {
        vek::Callbacks& slots = vek::Core().callbacks;
        switch (type) {
            case VEK_CALLBACK_STATUS: Store(slots.status, function); break;
            case VEK_CALLBACK_FIRMWARE_PROGRESS: Store(slots.firmwareProgress, function); break;
            case VEK_CALLBACK_PROGRESS: Store(slots.progress, function); break;
            case VEK_CALLBACK_IDLE: Store(slots.idle, function); break;
            case VEK_CALLBACK_ERROR: Store(slots.error, function); break;
            case VEK_CALLBACK_QUESTION: Store(slots.question, function); break;
            case VEK_CALLBACK_IMPORTANT_ERROR: Store(slots.importantError, function); break;
            case VEK_CALLBACK_TRANSLATE: Store(slots.translate, function); break;
            default: break;  // unknown types change nothing
        }
    });
}

VEK_API VekStruct* VEK_CALL VekGetVekStruct(void) {
    return vek::Guarded<VekStruct*>(__func__, nullptr, [&]() -> VekStruct* {
        return &vek::Device();
    });
}

VEK_API uint32_t VEK_CALL VekGetLastError(void) {
    return vek::Guarded<uint32_t>(__func__, 0, [&]() -> uint32_t {
        return vek::Core().lastStatus;
    });
}

VEK_API int32_t VEK_CALL VekSetLogFile(const VekChar* name) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        vek::SetLogFileName(name ? vek::FromApi(name) : u"");
        return 0;
    });
}

}  // extern "C"
