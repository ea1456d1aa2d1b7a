// Single raw values over the line: the only place where one value crosses
// it. Both operations keep the value in the definition's RawValue, creating
// an empty definition for a number that has none.
#pragma once

#include <cstdint>

namespace vek {

// What a raw read leaves in LastStatus besides the governor's own words.
namespace raw_read_status {
constexpr uint16_t Ok = 0;
constexpr uint16_t NoReply = 0xFFFE;        // set first; stays when sending or reading fails
constexpr uint16_t NotDefined = 0xFFFD;     // the governor does not know the number
constexpr uint16_t ChecksumWrong = 0xFFFC;
}  // namespace raw_read_status

// Reads one raw value into RawValue. LastStatus tells why it failed.
bool ReadRawValue(uint32_t id);
// Writes one raw value and keeps it in RawValue once the governor accepts it.
// Ignores the direct-set switch.
bool WriteRawValue(uint32_t id, uint16_t value);

// Whether value changes go to the governor at once.
bool DirectSetEnabled();

}  // namespace vek
