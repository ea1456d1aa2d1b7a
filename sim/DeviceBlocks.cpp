#include "DeviceBlocks.hpp"

#include <algorithm>

namespace vekgov {

Bytes VersionBlockData(const DeviceProfile& profile) {
    using namespace version_block;
    Bytes data(IntCodesAt, 0);
    PutWord(data, HardwareAt, profile.hardwareVersion);
    PutWord(data, SoftwareAt, profile.softwareVersion);
    PutWord(data, BlockSizeAt, profile.transferBlockSize);
    for (const IntCodeRange& range : profile.intCodes) {
        AppendWord(data, range.min);
        AppendWord(data, range.max);
    }
    return data;
}

Bytes ChecksumBlockData(const DeviceProfile& profile) {
    using namespace checksum_block;
    Bytes data(LayoutBytes, 0);
    std::copy(profile.definitionChecksum.begin(), profile.definitionChecksum.end(), data.begin() + ChecksumDataAt);
    PutWord(data, TotalBytesAt, profile.parDefTotalBytes);
    PutWord(data, BootstrapAt, profile.bootstrapWord);
    PutWord(data, ExtensionAt, profile.softwareExtension);
    PutWord(data, CommandsInfoAt, profile.commandsInfo);
    PutWord(data, NameLengthAt, profile.parDefNameLength);
    PutWord(data, TotalBytesLongAt, static_cast<uint16_t>(profile.parDefTotalBytesLong));
    PutWord(data, TotalBytesLongAt + 2, static_cast<uint16_t>(profile.parDefTotalBytesLong >> 16));
    data.resize(profile.checksumBlockLength, 0);
    return data;
}

}  // namespace vekgov
