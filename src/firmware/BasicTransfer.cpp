// The basic firmware transfer: the whole image as one long command (command
// byte, image size + 2, image, checksum), handed to the port in packets.
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

constexpr uint16_t kPacketBytes = 1024;
// The size field counts the checksum word after the image too.
constexpr uint32_t kSizeFieldExtra = 2;
constexpr std::size_t kSizeFieldAt = 1;
constexpr uint16_t kHeaderBytes = 5;  // command byte and size field

// The stream up to the governor's status word, under the long time-out.
// The checksum covers the size field and the image.
bool SendImage() {
    uint8_t buffer[kPacketBytes];
    buffer[0] = cmd::UploadFirmware;
    const uint32_t sizeField = static_cast<uint32_t>(Source().size) + kSizeFieldExtra;
    PutWord(buffer + kSizeFieldAt, static_cast<uint16_t>(sizeField));
    PutWord(buffer + kSizeFieldAt + 2, static_cast<uint16_t>(sizeField >> 16));
    Packet packet{buffer, kHeaderBytes,
                  BlockChecksum(static_cast<int>(ChecksumMode::Sum), buffer + kSizeFieldAt, kHeaderBytes - 1)};

    TimeoutScope timeout(Stream().LongTimeout);
    for (;;) {
        const bool more = FillPacket(packet, kPacketBytes);
        if (!SourceIntact()) return false;
        if (!more) break;
        CallIdle();
        if (!SendBytes(packet.bytes, packet.count)) {
            LogTranslated(u"Timeout occured during upload");
            return false;
        }
        packet.count = 0;
        ReportUploadProgress();
    }
    if (!SendWord(packet.checksum)) {
        LogTranslated(u"Timeout occured during upload");
        return false;
    }
    return ExpectZeroStatus(u"Failed to read upload status", u"Upload status signaled an error (%u)");
}

}  // namespace

bool RunBasicTransfer() {
    LogMessage(u"Uploading firmware (basic)...");
    CommLock lock;
    return SendImage() && WaitForRestart();
}

}  // namespace vek
