// The extended error memory: the configuration block, then the records in
// one reply of a length word and raw bytes (no checksum).
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/Report.hpp"
#include "errors/ErrorMemory.hpp"
#include "errors/ErrorMemoryConfig.hpp"
#include "errors/ErrorRecords.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

namespace vek {

namespace {

constexpr std::size_t kRecordsCapacity = 2000;

// The length word and the records; false for a failed exchange or a reply
// that does not fit the buffer (which is then read off the line unused).
bool ReadRecords(uint8_t (&buffer)[kRecordsCapacity], uint16_t& length) {
    const uint8_t subCommand = HasCommandsInfo(commands_info::ErrorMemoryVariant) ? cmd::ErrorMemoryRecordsExt
                                                                                  : cmd::ErrorMemoryRecords;
    const uint8_t request[] = {cmd::ErrorMemory, subCommand};
    if (!SendBytes(request, sizeof request) || !ReadWord(length)) return false;
    if (length > kRecordsCapacity) {
        LogTranslated(u"Error memory of %u bytes is larger than the buffer of %u bytes", length,
                      kRecordsCapacity);
        SkipBytes(length);
        return false;
    }
    return ReadBytes(buffer, length);
}

}  // namespace

bool ReadExtendedErrorMemory() {
    LogMessage(u"Reading error memory...");
    CommLock lock;
    if ((ChecksumBlockWord(checksum_block::BootstrapWord) & bootstrap_word::ExtendedErrorMemory) == 0)
        return false;
    if (!ReadErrorMemoryConfig()) return false;
    uint8_t records[kRecordsCapacity];
    uint16_t length = 0;
    if (!ReadRecords(records, length)) return false;
    AddErrorEntriesFromRecords(records, length, CurrentRecordLayout());
    return true;
}

}  // namespace vek
