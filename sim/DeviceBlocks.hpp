// The data of the blocks a governor sends at connection time, built from its
// profile: the version block and the definition checksum block.
#pragma once

#include "DeviceProfile.hpp"
#include "Framing.hpp"

#include <cstddef>

namespace vekgov {

// Version block: hardware word, software word, 8 unused bytes, the transfer
// block size word, then a minimum and a maximum word per IntCode.
namespace version_block {
constexpr size_t HardwareAt = 0;
constexpr size_t SoftwareAt = 2;
constexpr size_t BlockSizeAt = 12;
constexpr size_t IntCodesAt = 14;
}  // namespace version_block

// Definition checksum block; its length comes from the profile (6 on old
// governors, which then send only the start of the checksum data).
namespace checksum_block {
constexpr size_t ChecksumDataAt = 0;
constexpr size_t TotalBytesAt = 8;
constexpr size_t BootstrapAt = 12;
constexpr size_t ExtensionAt = 14;
constexpr size_t CommandsInfoAt = 16;
constexpr size_t NameLengthAt = 26;
constexpr size_t TotalBytesLongAt = 28;
constexpr size_t LayoutBytes = 32;
}  // namespace checksum_block

Bytes VersionBlockData(const DeviceProfile& profile);
Bytes ChecksumBlockData(const DeviceProfile& profile);

}  // namespace vekgov
