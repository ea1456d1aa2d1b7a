// The extended firmware transfer: the governor announces a block size, takes
// the image in blocks that carry their offset, each acknowledged, and checks
// size and checksum when the upload is terminated.
#include "core/CommLock.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "firmware/Firmware.hpp"
#include "firmware/FirmwareSource.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "transport/Stream.hpp"

#include <cstddef>

namespace vek {

namespace {

constexpr uint16_t kBlockCapacity = 1027;  // image bytes one block can carry
constexpr uint16_t kBlockHeader = 5;       // sub-command byte and 32-bit offset
constexpr std::size_t kOffsetAt = 1;
constexpr std::size_t kQueryReplyBytes = 2;

void PutLong(uint8_t* p, uint32_t value) {
    PutWord(p, static_cast<uint16_t>(value));
    PutWord(p + 2, static_cast<uint16_t>(value >> 16));
}

// The 16-bit answer to a query, checked against the sum of its two bytes.
bool Query(uint8_t subCommand, uint16_t& value) {
    const uint8_t request[] = {subCommand};
    uint8_t reply[kQueryReplyBytes];
    if (!SendByte(cmd::Firmware) || !SendBlock(request, sizeof request) ||
        !ReadChecked(reply, sizeof reply, static_cast<int>(ChecksumMode::Sum))) {
        return false;
    }
    value = GetWord(reply);
    return true;
}

// The block size to send with: a size of 0 would never move the image and is
// refused; a size above the block buffer is cut to the buffer.
bool UsableBlockSize(uint16_t announced, uint16_t& blockSize) {
    if (announced == 0) {
        LogTranslated(u"Invalid firmware upload block size %u", announced);
        return false;
    }
    blockSize = announced;
    if (announced > kBlockCapacity) {
        LogMessage(u"Upload block size %u exceeds the block buffer, blocks of %u bytes are sent", announced,
                   kBlockCapacity);
        blockSize = kBlockCapacity;
    }
    return true;
}

bool QueryBlockSize(uint16_t& blockSize) {
    uint16_t value = 0;
    LogMessage(u"Getting extended upload firmware info...");
    if (!Query(cmd::FirmwareInfo, value)) {
        LogTranslated(u"Failed to read the firmware extended upload info");
        return false;
    }
    LogMessage(u"Getting upload firmware block size...");
    if (!Query(cmd::FirmwareBlockSize, value)) {
        LogTranslated(u"Failed to read the firmware upload block size");
        return false;
    }
    return UsableBlockSize(value, blockSize);
}

// Every block under the long time-out; checksum ends as the sum of the image.
bool SendBlocks(uint16_t blockSize, uint16_t& checksum) {
    uint8_t block[kBlockHeader + kBlockCapacity];
    block[0] = cmd::FirmwareData;
    Packet data{block + kBlockHeader};
    uint32_t offset = 0;

    TimeoutScope timeout(Stream().LongTimeout);
    for (;;) {
        PutLong(block + kOffsetAt, offset);
        const bool more = FillPacket(data, blockSize);
        if (!SourceIntact()) return false;
        if (!more) break;
        CallIdle();
        if (!SendCommandBlock(cmd::Firmware, block, data.count + kBlockHeader)) {
            LogTranslated(u"Timeout occured during upload");
            return false;
        }
        if (!ExpectZeroStatus(u"Failed to read upload status", u"Failed to upload data block (status %u)")) {
            return false;
        }
        offset += data.count;
        data.count = 0;
        ReportUploadProgress();
    }
    checksum = data.checksum;
    return true;
}

bool Terminate(uint16_t checksum) {
    LogMessage(u"Terminating upload firmware...");
    Frame request;
    request.Byte(cmd::FirmwareTerminate).Long(static_cast<uint32_t>(Source().size)).Word(checksum);
    if (!SendByte(cmd::Firmware) || !SendBlock(request.data(), request.size())) return false;
    return ExpectZeroStatus(u"Failed to read the firmware upload terminate status",
                            u"Failed to terminated the firmware upload (status %d)");
}

}  // namespace

bool RunExtendedTransfer() {
    LogMessage(u"Uploading firmware (extended)...");
    CommLock lock;
    uint16_t blockSize = 0;
    uint16_t checksum = 0;
    return QueryBlockSize(blockSize) && SendBlocks(blockSize, checksum) && Terminate(checksum) && WaitForRestart();
}

}  // namespace vek
