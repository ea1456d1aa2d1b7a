// Definitions and device state for the value tests: a small IntCode table,
// definitions with their real limits as a download leaves them, and a reset
// of everything the value operations read.
#pragma once

#include "VekLib.h"

#include <cstdint>
#include <string>

namespace vektest {

// The IntCode table that ResetValueState installs.
namespace intcode {
constexpr uint8_t Unsigned = 0;  // 0 .. 65535
constexpr uint8_t Signed = 1;    // -32768 .. 32767
constexpr uint8_t TenBit = 2;    // 0 .. 1023
constexpr uint8_t Empty = 3;     // 5 .. 5
constexpr uint16_t Count = 4;
constexpr uint8_t Range = 250;   // 0 .. 32767, limits from two range parameters
}  // namespace intcode

// Adds the definition with RealMin and RealMax worked out from the limits.
ParDef* Define(uint32_t id, int32_t min = 0, int32_t max = 0, uint8_t format = 0,
               uint8_t intCode = intcode::Unsigned, const std::u16string& unit = u"",
               const std::u16string& name = u"");
// A range-code definition whose limits are the values of lowId and highId.
ParDef* DefineRanged(uint32_t id, uint32_t lowId, uint32_t highId, uint8_t format = 0);

// Empty store, the IntCode table above, hardware major 0, 16-bit numbers,
// direct set on, block size 128, LastStatus 0, no callbacks.
void ResetValueState();

std::u16string ToText(const VekChar* text);

}  // namespace vektest
