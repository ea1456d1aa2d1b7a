// The definition checksum block (definition sizes, boot loader word, software
// extension, CommandsInfo) and the protocol features it lets us switch on.
#include "connection/Connection.hpp"

#include "connection/DeviceInfo.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

#include <cstring>

namespace vek {

namespace {

// Older governors send only 6 bytes; their definitions always take 12744 bytes.
constexpr uint16_t kShortBlockLength = 6;
constexpr uint16_t kShortBlockParDefTotalBytes = 12744;

bool RequestFeature(uint16_t code) {
    uint8_t data[4];
    PutWord(data, cmd::ExtRequestFeature);
    PutWord(data + 2, code);
    return SendByte(cmd::Extended) && SendBlock(data, sizeof data) &&
           ExpectStatus(kStatusMask, 0, Translated(u"Failed to request protocole enhanced feature"));
}

// Each feature is requested only while the ones before it were granted.
bool RequestFeatures() {
    if (HasCommandsInfo(commands_info::EnhancedFeatureDE4F) && !RequestFeature(cmd::FeatureEnhanced)) {
        return false;
    }
    if (UsesLongParameterNumbers() && !RequestFeature(cmd::FeatureLongNumbers)) return false;
    if (ChecksumBlockWord(checksum_block::ParDefNameLength) != 0 && !RequestFeature(cmd::FeatureNameLength)) {
        return false;
    }
    return true;
}

}  // namespace

bool ReadChecksumBlock() {
    LogMessage(u"Reading parameter definitions checksum...");
    VekStruct& device = Device();
    device.ChecksumReplyLength = 0;
    std::memset(device.ChecksumReply, 0, sizeof device.ChecksumReply);

    uint16_t length = 0;
    if (!SendByte(cmd::ReadChecksum) ||
        !ReadBlock(device.ChecksumReply, sizeof device.ChecksumReply, &length)) {
        return false;
    }
    device.ChecksumReplyLength = length;
    if (length == kShortBlockLength) {
        PutWord(device.ChecksumReply + checksum_block::ParDefTotalBytes, kShortBlockParDefTotalBytes);
    }
    ApplySoftwareExtension();
    return RequestFeatures();
}

}  // namespace vek
