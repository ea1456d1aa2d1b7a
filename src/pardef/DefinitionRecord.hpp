// One definition record as the governor sends it: a number of 2 or 4 bytes,
// a name field of the length the governor announced, then the limits, the
// unit, the IntCode, the Format and the array count.
#pragma once

#include "text/Text.hpp"

#include <cstddef>
#include <cstdint>

namespace vek {

struct RecordLayout {
    std::size_t idBytes;    // 4 with 32-bit parameter numbers, else 2
    std::size_t nameBytes;  // the name field

    std::size_t size() const;
};

// The layout announced by the connected governor's checksum block.
RecordLayout AnnouncedRecordLayout();

// The parameter number of the record at bytes.
uint32_t RecordNumber(const uint8_t* bytes, const RecordLayout& layout);

// Decodes the record at bytes into the store. A number that exists already is
// reported and skipped (still true); an unknown IntCode logs a line and gives
// false, which fails the download.
bool DecodeRecord(const uint8_t* bytes, const RecordLayout& layout);

// Widens at most n source bytes, up to the first 0 byte, into dst[capacity]
// byte for byte, leaving out every space; always 0-terminated.
void WidenText(Char* dst, std::size_t capacity, const uint8_t* src, std::size_t n);

}  // namespace vek
