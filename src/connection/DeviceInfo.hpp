// Named views of the device record: the words of the definition checksum
// block and the feature bits that the other subsystems consult.
#pragma once

#include "core/State.hpp"
#include "link/Wire.hpp"

#include <cstdint>

namespace vek {

// Offsets of the named words in the definition checksum block.
namespace checksum_block {
constexpr std::size_t ParDefTotalBytes = 8;
constexpr std::size_t BootstrapWord = 12;
constexpr std::size_t SoftwareExtension = 14;
constexpr std::size_t CommandsInfo = 16;
constexpr std::size_t ParDefNameLength = 26;
constexpr std::size_t ParDefTotalBytesLong = 28;
}  // namespace checksum_block

// CommandsInfo bits.
namespace commands_info {
constexpr uint16_t ExtendedActualErrors = 0x0020;   // actual errors in 4-byte entries
constexpr uint16_t ExtendedFirmware = 0x0100;       // firmware erase and upload through 0x33
constexpr uint16_t ErrorMemoryVariant = 0x0400;
constexpr uint16_t EnhancedFeatureDE4F = 0x0800;
constexpr uint16_t LongParameterNumbers = 0x1000;   // also requests feature 0x90E6
constexpr uint16_t ParameterPages = 0x4000;
}  // namespace commands_info

// BootstrapWord bits.
namespace bootstrap_word {
constexpr uint16_t ExtendedErrorMemory = 0x0010;    // the extended error memory can be read
}  // namespace bootstrap_word

// Features bits (from the hardware major version).
namespace features {
constexpr uint16_t ErrorMemoryKindMask = 0x0003;
constexpr uint16_t Identification = 0x0004;
constexpr uint16_t ClickTest = 0x0008;  // click test available, auto-adjustment barred
}  // namespace features

inline uint16_t ChecksumBlockWord(std::size_t offset) { return GetWord(Device().ChecksumReply + offset); }
inline uint32_t ChecksumBlockLong(std::size_t offset) { return GetLong(Device().ChecksumReply + offset); }

inline uint16_t CommandsInfo() { return ChecksumBlockWord(checksum_block::CommandsInfo); }
inline bool HasCommandsInfo(uint16_t bit) { return (CommandsInfo() & bit) != 0; }
inline bool HasFeature(uint16_t bit) { return (Device().Features & bit) != 0; }
// 32-bit parameter numbers on the line (raw access, definition records).
inline bool UsesLongParameterNumbers() { return HasCommandsInfo(commands_info::LongParameterNumbers); }

}  // namespace vek
