#include "errors/ErrorRecords.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "connection/DeviceInfo.hpp"
#include "errors/ErrorMemory.hpp"
#include "link/Wire.hpp"

namespace vek {

namespace {

namespace record_format {
constexpr uint16_t Times = 0;       // number, times, counter, arguments
constexpr uint16_t Words = 1;       // adds Word1 (and Word2)
constexpr uint16_t TwoArgSets = 3;  // adds Word3, Word4 and a second argument set
}  // namespace record_format

constexpr std::size_t kWord = 2;
constexpr std::size_t kWideArg = 4;
// The time stamps and the counter, from their first byte on.
namespace stamp {
constexpr std::size_t Hours1 = 0;    // 16 bits
constexpr std::size_t Hours2 = 2;    // 16 bits
constexpr std::size_t Count = 4;     // 8 bits
constexpr std::size_t Seconds1 = 5;  // bits 0-7
constexpr std::size_t Seconds2 = 6;  // bits 0-7
constexpr std::size_t HighBits = 7;  // seconds 1 bits 8-11 high, seconds 2 bits 8-11 low
constexpr std::size_t Bytes = 8;
}  // namespace stamp
constexpr uint32_t kSecondsPerHour = 3600;
constexpr unsigned kNibbleBits = 4;
constexpr unsigned kByteBits = 8;
constexpr uint8_t kLowNibble = 0x0F;

// Reads the fields of one record; a field outside it reads as absent.
class RecordReader {
public:
    RecordReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Has(std::size_t offset, std::size_t width) const {
        return offset <= size_ && width <= size_ - offset;
    }
    uint8_t Byte(std::size_t offset) const { return data_[offset]; }
    uint16_t Word(std::size_t offset) const { return GetWord(data_ + offset); }

private:
    const uint8_t* data_;
    std::size_t size_;
};

// Copies words of one record into the packed entry, whose fields are
// addressed by their offsets (a packed field cannot be bound to a reference).
class EntryFiller {
public:
    EntryFiller(const RecordReader& record, ErrorEntry& entry)
        : record_(record), entry_(reinterpret_cast<uint8_t*>(&entry)) {}

    // The record's 16-bit number into the entry's 32-bit Id.
    void Id(std::size_t recordOffset) {
        if (record_.Has(recordOffset, kWord)) PutLong(record_.Word(recordOffset), offsetof(ErrorEntry, Id));
    }

    void Word(std::size_t recordOffset, std::size_t entryOffset) {
        if (record_.Has(recordOffset, kWord)) PutWord(record_.Word(recordOffset), entryOffset);
    }

    // Hours 1, hours 2, counter, the low seconds bytes and their nibble byte.
    void TimeStamps(std::size_t at) {
        if (!record_.Has(at, stamp::Bytes)) return;
        const uint8_t highBits = record_.Byte(at + stamp::HighBits);
        const uint32_t seconds1 = record_.Byte(at + stamp::Seconds1) |
                                  (static_cast<uint32_t>(highBits >> kNibbleBits) << kByteBits);
        const uint32_t seconds2 =
            record_.Byte(at + stamp::Seconds2) | (static_cast<uint32_t>(highBits & kLowNibble) << kByteBits);
        PutLong(record_.Word(at + stamp::Hours1) * kSecondsPerHour + seconds1, offsetof(ErrorEntry, Time1));
        PutLong(record_.Word(at + stamp::Hours2) * kSecondsPerHour + seconds2, offsetof(ErrorEntry, Time2));
        PutWord(record_.Byte(at + stamp::Count), offsetof(ErrorEntry, Count));
    }

    // One argument set of argCount words at `at`, of which the entry keeps
    // the first kEntryArgCapacity; returns the offset after the whole set.
    std::size_t Args(std::size_t at, uint16_t argCount, std::size_t entryOffset) {
        const std::size_t kept = std::min<std::size_t>(argCount, kEntryArgCapacity);
        for (std::size_t i = 0; i < kept; ++i) Word(at + i * kWord, entryOffset + i * kWord);
        return at + argCount * kWord;
    }

private:
    void PutWord(uint16_t value, std::size_t entryOffset) {
        std::memcpy(entry_ + entryOffset, &value, sizeof value);
    }
    void PutLong(uint32_t value, std::size_t entryOffset) {
        std::memcpy(entry_ + entryOffset, &value, sizeof value);
    }

    const RecordReader& record_;
    uint8_t* entry_;
};

}  // namespace

bool ErrorRecordLayout::HasRecords() const {
    return format == record_format::Times || format == record_format::Words ||
           format == record_format::TwoArgSets;
}

std::size_t ErrorRecordLayout::Size() const {
    constexpr std::size_t kIdBytes = kWord;
    std::size_t base = kIdBytes + stamp::Bytes;
    if (format != record_format::Times) base += kWord + (withWord2 ? kWord : 0);
    if (format == record_format::TwoArgSets) base += 2 * kWord;
    return base + argCount * (wideArgs ? kWideArg : kWord);
}

ErrorRecordLayout CurrentRecordLayout() {
    const VekStruct& device = Device();
    ErrorRecordLayout layout;
    layout.format = device.ErrorMemoryFormat;
    layout.argCount = device.ErrorArgCount;
    layout.withWord2 = HasCommandsInfo(commands_info::ErrorMemoryVariant);
    layout.wideArgs = HasCommandsInfo(commands_info::LongParameterNumbers);
    return layout;
}

void DecodeErrorRecord(const uint8_t* data, std::size_t size, const ErrorRecordLayout& layout,
                       ErrorEntry& entry) {
    const RecordReader record(data, size);
    EntryFiller fill(record, entry);
    std::size_t at = 0;
    fill.Id(at);
    at += kWord;
    if (layout.format != record_format::Times) {
        fill.Word(at, offsetof(ErrorEntry, Word1));
        at += kWord;
        if (layout.withWord2) {
            fill.Word(at, offsetof(ErrorEntry, Word2));
            at += kWord;
        }
    }
    fill.TimeStamps(at);
    at = fill.Args(at + stamp::Bytes, layout.argCount, offsetof(ErrorEntry, Args));
    if (layout.format != record_format::TwoArgSets) return;
    fill.Word(at, offsetof(ErrorEntry, Word3));
    fill.Word(at + kWord, offsetof(ErrorEntry, Word4));
    fill.Args(at + 2 * kWord, layout.argCount, offsetof(ErrorEntry, Args2));
}

std::size_t AddErrorEntriesFromRecords(const uint8_t* data, std::size_t length,
                                       const ErrorRecordLayout& layout) {
    constexpr std::size_t kTrailerBytes = 2;
    if (!layout.HasRecords() || length < kTrailerBytes) return 0;
    const std::size_t size = layout.Size();
    const std::size_t count = (length - kTrailerBytes) / size;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* record = data + i * size;
        DecodeErrorRecord(record, size, layout, AddErrorEntry(GetWord(record)));
    }
    return count;
}

}  // namespace vek
