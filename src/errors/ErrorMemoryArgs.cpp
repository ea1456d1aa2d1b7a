// Choosing the parameters whose values the governor records with each error.
#include <cstdint>
#include <limits>

#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "errors/ErrorRecords.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

namespace vek {

namespace {

// Each number travels as one 16-bit word: the block counts two bytes a value.
bool FitsWord(int32_t value) { return value >= 0 && value <= std::numeric_limits<uint16_t>::max(); }

// Refuses what the governor could not record; true when the arguments may be sent.
bool CheckArgs(int32_t count, const int32_t* values) {
    if (count < 0 || count > static_cast<int32_t>(kEntryArgCapacity)) {
        LogTranslated(u"VekConfigureErrorMemoryArgs: invalid count %d", count);
        return false;
    }
    if (count > 0 && !values) {
        LogTranslated(u"VekConfigureErrorMemoryArgs: no values");
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (!FitsWord(values[i])) {
            LogTranslated(u"VekConfigureErrorMemoryArgs: invalid parameter number %d", values[i]);
            return false;
        }
    }
    return true;
}

}  // namespace

}  // namespace vek

extern "C" VEK_API int32_t VEK_CALL VekConfigureErrorMemoryArgs(int32_t count, const int32_t* values) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        if (!CheckArgs(count, values)) return 0;
        Frame block;
        block.Word(cmd::ExtConfigureErrorArgs).Word(static_cast<uint16_t>(count));
        for (int32_t i = 0; i < count; ++i) block.Word(static_cast<uint16_t>(values[i]));

        CommLock lock;
        if (!SendByte(cmd::Extended) || !SendBlock(block.data(), block.size())) return 0;
        Translated failure(u"Failed to configure error memory arguments");
        return ExpectStatus(kStatusMask, 0, failure) ? 1 : 0;
    });
}
