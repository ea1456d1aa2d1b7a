// The version block: hardware and software versions, the block size for bulk
// writes, the IntCode definitions, and the features of the hardware.
#include "connection/Connection.hpp"

#include "connection/DeviceInfo.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

#include <iterator>

namespace vek {

namespace {

constexpr std::size_t kVersionBlockCapacity = 814;

// Offsets in the version block.
constexpr std::size_t kHardwareWord = 0;
constexpr std::size_t kSoftwareWord = 2;
constexpr std::size_t kBlockSizeWord = 12;
constexpr std::size_t kIntCodeStart = 14;     // also the shortest meaningful block
constexpr std::size_t kIntCodeEntrySize = 4;  // minimum word, maximum word

// IntCode 250 is the governor's plain positive 15-bit range, whatever it sends.
constexpr std::size_t kFixedIntCode = 250;
constexpr int32_t kFixedIntCodeMax = 32767;

// Features by hardware major version; later hardware offers none of them.
constexpr uint16_t FeatureTable[24] = {
    0, 0, 0, 0, 0x0001, 0x0006, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x000F, 0, 0x000F,
};

uint16_t FeaturesOf(uint8_t hardwareMajor) {
    return hardwareMajor < std::size(FeatureTable) ? FeatureTable[hardwareMajor] : 0;
}

// A minimum above the maximum (as unsigned words) is a negative number.
void StoreIntCodes(const uint8_t* entries, uint16_t count) {
    VekStruct& device = Device();
    for (uint16_t i = 0; i < count; ++i) {
        const uint16_t minimum = GetWord(entries + i * kIntCodeEntrySize);
        const uint16_t maximum = GetWord(entries + i * kIntCodeEntrySize + 2);
        device.IntCodeTable[i][0] = minimum > maximum ? static_cast<int16_t>(minimum) : minimum;
        device.IntCodeTable[i][1] = maximum;
    }
}

}  // namespace

void ApplySoftwareExtension() {
    VekStruct& device = Device();
    const uint16_t extension = ChecksumBlockWord(checksum_block::SoftwareExtension);
    device.SoftwareMid = static_cast<uint8_t>(extension * 10 + device.SoftwareMid % 10);
    device.SoftwareVersion =
        device.SoftwareHigh * (extension ? 10000u : 1000u) + device.SoftwareMid * 100u + device.SoftwareLow;
}

bool ReadVersion() {
    LogMessage(u"Reading version...");
    uint8_t block[kVersionBlockCapacity] = {};
    uint16_t length = 0;
    if (!SendByte(cmd::ReadVersion) || !ReadBlock(block, sizeof block, &length)) return false;
    if (length < kIntCodeStart) {
        LogTranslated(u"Version block of %u bytes is too short", length);
        return false;
    }

    VekStruct& device = Device();
    const uint16_t hardware = GetWord(block + kHardwareWord);
    device.HardwareVersion = hardware;
    device.HardwareMajor = static_cast<uint8_t>(hardware / 100);
    device.HardwareMinor = static_cast<uint8_t>(hardware % 100);
    Core().transferBlockSize = GetWord(block + kBlockSizeWord);
    const uint16_t software = GetWord(block + kSoftwareWord);
    device.SoftwareHigh = static_cast<uint8_t>(software / 1000);
    device.SoftwareMid = static_cast<uint8_t>(software / 100 % 10);
    device.SoftwareLow = static_cast<uint8_t>(software % 100);
    // Still the previous connection's extension; the checksum read applies the new one.
    ApplySoftwareExtension();

    device.IntCodeCount = static_cast<uint16_t>((length - kIntCodeStart) / kIntCodeEntrySize);
    StoreIntCodes(block + kIntCodeStart, device.IntCodeCount);
    device.IntCodeTable[kFixedIntCode][0] = 0;
    device.IntCodeTable[kFixedIntCode][1] = kFixedIntCodeMax;

    device.Features = FeaturesOf(device.HardwareMajor);
    return true;
}

}  // namespace vek
