// Acknowledging one record and erasing the whole error memory.
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

namespace vek {

namespace {

// What the governor's first answer to an erase means when it is not 0.
namespace erase_code {
constexpr uint16_t EepromAccess = 3;
constexpr uint16_t TemporarilyUnavailable = 11;
constexpr uint16_t LowSupplyVoltage = 12;
}  // namespace erase_code

const Char* EraseCodeText(uint16_t code) {
    switch (code & kStatusMask) {
        case erase_code::EepromAccess:
            return u"Error during access to EEPROM";
        case erase_code::TemporarilyUnavailable:
            return u"Delete of error memory temporarly not available";
        case erase_code::LowSupplyVoltage:
            return u"Power supply voltage to low to access EEPROM";
        default:
            return u"Failed to erase error memory (unknown error)";
    }
}

// The governor could not erase at once; its second status word tells
// whether it managed after all. The failure line names the first code's meaning.
bool ConfirmErase(uint16_t firstCode) {
    if (ReadStatus() && StatusMatches(kStatusMask, 0)) return true;
    Translated failure(u"Failed to erase the error table");
    Translated meaning(EraseCodeText(firstCode));
    LogMessage(u"%s: %s", failure.c_str(), meaning.c_str());
    return false;
}

}  // namespace

}  // namespace vek

extern "C" VEK_API int32_t VEK_CALL VekAcknowledgeErrorMemoryItem(uint32_t word1, uint32_t word2) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        // Only the low 16 bits of each word go on the line; their meaning is the governor's.
        Frame request;
        request.Byte(cmd::ErrorMemory).Byte(cmd::ErrorMemoryAcknowledge);
        request.Word(static_cast<uint16_t>(word1)).Word(static_cast<uint16_t>(word2));
        if (!SendFrame(request)) return 0;
        Translated failure(u"Failed to acknowledge the error");
        return ExpectStatus(kStatusMask, 0, failure) ? 1 : 0;
    });
}

extern "C" VEK_API int32_t VEK_CALL VekEraseErrorMemory(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        if (!SendByte(cmd::EraseErrorMemory) || !ReadStatus()) return 0;
        const uint16_t firstCode = Core().lastStatus;
        if (firstCode == 0) return 1;
        return ConfirmErase(firstCode) ? 1 : 0;
    });
}
