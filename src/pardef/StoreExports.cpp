// The exports of the definition store. Lookups, adding and sorting take no
// lock; clear, backup and restore take CommLock.
#include "VekLib.h"
#include "core/ExportGuard.hpp"
#include "pardef/ParDefStore.hpp"

extern "C" {

VEK_API uint32_t VEK_CALL VekGetParDefNum(void) {
    return vek::Guarded<uint32_t>(__func__, 0, [&]() -> uint32_t {
        return static_cast<uint32_t>(vek::ParDefs().index.size());
    });
}

VEK_API ParDef* VEK_CALL VekGetParDef(uint32_t id) {
    return vek::Guarded<ParDef*>(__func__, nullptr, [&]() -> ParDef* {
        return vek::FindParDef(id);
    });
}

VEK_API ParDef* VEK_CALL VekGetParDefByIndex(uint32_t index) {
    return vek::Guarded<ParDef*>(__func__, nullptr, [&]() -> ParDef* {
        const std::vector<uint32_t>& ids = vek::ParDefs().index;
        return index < ids.size() ? vek::FindParDef(ids[index]) : nullptr;
    });
}

VEK_API int32_t VEK_CALL VekExistsParDef(uint32_t id) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        return vek::FindParDef(id) ? 1 : 0;
    });
}

VEK_API ParDef* VEK_CALL VekAddParDef(uint32_t id) {
    return vek::Guarded<ParDef*>(__func__, nullptr, [&]() -> ParDef* {
        return vek::AddParDef(id);
    });
}

VEK_API void VEK_CALL VekClearParDefs(void) {
    vek::Guarded(__func__, [&] {
        vek::ClearParDefs();
    });
}

VEK_API void VEK_CALL VekValidateAllParDefs(void) {
    vek::Guarded(__func__, [&] {
        vek::SortParDefIndex();
    });
}

VEK_API void VEK_CALL VekBackupParDefs(void) {
    vek::Guarded(__func__, [&] {
        vek::BackupParDefs();
    });
}

VEK_API void VEK_CALL VekRestoreParDefs(void) {
    vek::Guarded(__func__, [&] {
        vek::RestoreParDefs();
    });
}

}  // extern "C"
