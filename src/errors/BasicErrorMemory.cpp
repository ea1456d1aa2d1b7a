// The basic error memory: the governor streams 16-bit words in chunks, one
// for each defined number from 2000 upwards, through the same command as the
// measurement values; the error definitions 3100-3299 whose word is not 0
// are the recorded errors.
#include "core/CommLock.hpp"
#include "core/Report.hpp"
#include "errors/ErrorMemory.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "pardef/ParDefStore.hpp"

namespace vek {

namespace {

constexpr uint32_t kFirstWordNumber = 2000;
constexpr uint32_t kNumberLimit = 0x10000;  // the cursor is a 16-bit number
constexpr uint32_t kFirstErrorNumber = 3100;
constexpr uint32_t kLastErrorNumber = 3299;
constexpr std::size_t kChunkCapacity = 2048;  // bytes of one chunk
constexpr std::size_t kWordBytes = 2;

// The walk over the defined numbers that the governor pairs its words with.
class NumberCursor {
public:
    // The definition that takes the next word, or null when no defined
    // number is left below the limit.
    ParDef* Next() {
        while (number_ < kNumberLimit) {
            if (ParDef* definition = FindParDef(number_++)) return definition;
        }
        return nullptr;
    }

private:
    uint32_t number_ = kFirstWordNumber;
};

// Stores the chunk's words; false when a word found no defined number.
bool StoreWords(const uint8_t* chunk, std::size_t words, NumberCursor& cursor) {
    for (std::size_t i = 0; i < words; ++i) {
        ParDef* definition = cursor.Next();
        if (!definition) {
            LogMessage(u"Error memory: %u words without a defined number dropped", words - i);
            return false;
        }
        StoreRawValue(*definition, GetWord(chunk + i * kWordBytes));
    }
    return true;
}

void AddRecordedErrors() {
    ClearErrorEntries();
    for (uint32_t number = kFirstErrorNumber; number <= kLastErrorNumber; ++number) {
        const ParDef* definition = FindParDef(number);
        if (definition && definition->RawValue != 0) AddErrorEntry(number);
    }
}

}  // namespace

bool ReadBasicErrorMemory() {
    CommLock lock;
    NumberCursor cursor;
    uint8_t chunk[kChunkCapacity];
    for (;;) {
        uint16_t length = 0;
        if (!SendByte(cmd::ReadBasicErrorMemory) || !ReadBlock(chunk, sizeof chunk, &length)) return false;
        const std::size_t words = length / kWordBytes;
        // An empty chunk ends the memory; words beyond the last defined
        // number end it as well, so that a talkative governor cannot keep
        // the loop going.
        if (words == 0 || !StoreWords(chunk, words, cursor)) break;
    }
    AddRecordedErrors();
    return true;
}

}  // namespace vek
