// The entry list, its getters and the read that chooses between the basic
// and the extended error memory.
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "errors/ErrorMemory.hpp"

namespace vek {

namespace {

// Features bits 0-1 read as a number: 0 or 1 basic, 2 or 3 extended.
constexpr uint16_t kLastBasicErrorMemoryKind = 1;

}  // namespace

ErrorMemoryState& ErrorMemory() {
    static ErrorMemoryState state;
    return state;
}

void ClearErrorEntries() {
    CommLock lock;
    ErrorMemory().entries.clear();
}

ErrorEntry& AddErrorEntry(uint32_t id) {
    auto entry = std::make_unique<ErrorEntry>();
    entry->Id = id;
    ErrorMemory().entries.push_back(std::move(entry));
    return *ErrorMemory().entries.back();
}

}  // namespace vek

extern "C" VEK_API int32_t VEK_CALL VekReadErrorMemory(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        ClearErrorEntries();
        const uint16_t kind = Device().Features & features::ErrorMemoryKindMask;
        const bool read = kind > kLastBasicErrorMemoryKind ? ReadExtendedErrorMemory() : ReadBasicErrorMemory();
        return read ? 1 : 0;
    });
}

extern "C" VEK_API uint32_t VEK_CALL VekGetErrorEntriesNum(void) {
    return vek::Guarded<uint32_t>(__func__, 0, [&]() -> uint32_t {
        return static_cast<uint32_t>(vek::ErrorMemory().entries.size());
    });
}

extern "C" VEK_API ErrorEntry* VEK_CALL VekGetErrorEntryByIndex(uint32_t index) {
    return vek::Guarded<ErrorEntry*>(__func__, nullptr, [&]() -> ErrorEntry* {
        const auto& entries = vek::ErrorMemory().entries;
        return index < entries.size() ? entries[index].get() : nullptr;
    });
}
