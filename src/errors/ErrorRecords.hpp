// The records of the extended error memory: their size, their layout in the
// record formats 0, 1 and 3, and their decoding into error entries.
//
// Layout (little-endian words, offsets in bytes):
//   Id; format 1 and 3: Word1, and Word2 with the error memory variant;
//   then hours 1, hours 2, Count (8 bits), the low bytes of seconds 1 and 2,
//   a byte with their bits 8-11 (seconds 1 high nibble, seconds 2 low);
//   then the arguments; format 3 adds Word3, Word4 and a second argument set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "VekLib.h"

namespace vek {

// How many arguments an entry holds in each of its two sets.
constexpr std::size_t kEntryArgCapacity = 16;

struct ErrorRecordLayout {
    uint16_t format = 0;
    uint16_t argCount = 0;   // as configured by the governor, may exceed kEntryArgCapacity
    bool withWord2 = false;  // the error memory variant (CommandsInfo bit 10)
    bool wideArgs = false;   // 32-bit argument numbers (CommandsInfo bit 12)

    // Formats 0, 1 and 3 carry records; any other carries none.
    bool HasRecords() const;
    // The distance from one record to the next: a base by format and
    // variant, and 2 bytes per argument, or 4 with 32-bit argument numbers.
    std::size_t Size() const;
};

// The layout that the configuration in the device record and CommandsInfo give.
ErrorRecordLayout CurrentRecordLayout();

// Fills entry (Id included) from one record of `size` bytes. A field that
// does not lie wholly inside the record stays as it is, so a layout longer
// than the record size never reads a neighbour's bytes.
void DecodeErrorRecord(const uint8_t* record, std::size_t size, const ErrorRecordLayout& layout,
                       ErrorEntry& entry);

// Adds one entry for every whole record in the records reply data[length]
// (the records back to back, then 2 bytes of no interest). Returns how many.
std::size_t AddErrorEntriesFromRecords(const uint8_t* data, std::size_t length,
                                       const ErrorRecordLayout& layout);

}  // namespace vek
