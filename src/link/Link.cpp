// Framing, checksums and status words over the stream's operations.
#include "link/Link.hpp"

#include "core/Report.hpp"
#include "core/State.hpp"
#include "transport/Stream.hpp"

#include <algorithm>
#include <climits>
#include <vector>

namespace vek {

namespace {

// A length word counts itself: it is the number of data bytes plus 2.
constexpr uint16_t kLengthWordOverhead = 2;
constexpr std::size_t kChecksumBytes = 2;
// Bytes of a reply that is not taken are read off the line this many at a time.
constexpr std::size_t kSkipChunkBytes = 256;

// The request being sent, kept between requests so that its memory is
// allocated once; the communication lock lets one request through at a time.
std::vector<uint8_t>& OutgoingRequest() {
    static std::vector<uint8_t> bytes;
    return bytes;
}

// The prefix bytes, then the block of count data bytes, all in one write.
bool SendPrefixedBlock(const uint8_t* prefix, std::size_t prefixCount, const uint8_t* data, std::size_t count) {
    if (count > kMaxBlockData) return false;
    std::vector<uint8_t>& request = OutgoingRequest();
    request.resize(prefixCount + kLengthWordOverhead + count + kChecksumBytes);
    uint8_t* at = request.data();
    if (prefixCount > 0) std::copy(prefix, prefix + prefixCount, at);
    at += prefixCount;
    PutWord(at, static_cast<uint16_t>(count + kLengthWordOverhead));
    at += kLengthWordOverhead;
    if (count > 0) std::copy(data, data + count, at);
    PutWord(at + count, BlockChecksum(static_cast<int>(ChecksumMode::Block), data, count));
    return SendBytes(request.data(), request.size());
}

}  // namespace

bool SendBytes(const uint8_t* bytes, std::size_t count) {
    if (count > static_cast<std::size_t>(INT32_MAX)) return false;
    return StreamWrite(bytes, static_cast<int32_t>(count));
}

bool SendByte(uint8_t byte) { return SendBytes(&byte, 1); }

bool SendWord(uint16_t word) {
    uint8_t bytes[2];
    PutWord(bytes, word);
    return SendBytes(bytes, sizeof bytes);
}

bool SendFrame(const Frame& frame) { return SendBytes(frame.data(), frame.size()); }

bool SendBlock(const uint8_t* data, std::size_t count) { return SendPrefixedBlock(nullptr, 0, data, count); }

bool SendCommandBlock(uint8_t command, const uint8_t* data, std::size_t count) {
    return SendPrefixedBlock(&command, 1, data, count);
}

bool ReadBytes(uint8_t* buffer, std::size_t count) {
    if (count > static_cast<std::size_t>(INT32_MAX)) return false;
    return StreamRead(buffer, static_cast<int32_t>(count));
}

bool SkipBytes(std::size_t count) {
    uint8_t scrap[kSkipChunkBytes];
    while (count > 0) {
        const std::size_t chunk = std::min(count, sizeof scrap);
        if (!ReadBytes(scrap, chunk)) return false;
        count -= chunk;
    }
    return true;
}

bool ReadWord(uint16_t& word) {
    uint8_t bytes[2];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    word = GetWord(bytes);
    return true;
}

uint16_t BlockChecksum(int mode, const uint8_t* data, std::size_t count) {
    uint32_t sum = 0;
    switch (static_cast<ChecksumMode>(mode)) {
        case ChecksumMode::Block:
            sum = kLengthWordOverhead + (count & 0xFF) + ((count >> 8) & 0xFF);
            break;
        case ChecksumMode::Sum:
            break;
        default:
            return 0;
    }
    for (std::size_t i = 0; i < count; ++i) sum += data[i];
    return static_cast<uint16_t>(sum);
}

bool ChecksumMatches(uint16_t computed, uint16_t received) {
    if ((computed & kChecksumCompareMask) != (received & kChecksumCompareMask)) return false;
    Device().ErrorsCurrent = (received & kChecksumFlag) ? 0 : 1;
    return true;
}

bool ReadChecked(uint8_t* buffer, std::size_t count, int mode) {
    uint16_t received = 0;
    if (!ReadBytes(buffer, count) || !ReadWord(received)) return false;
    const uint16_t computed = BlockChecksum(mode, buffer, count);
    if (ChecksumMatches(computed, received)) return true;
    LogTranslated(u"Checksum error: expected 0x%04X, received 0x%04X (mode %d, size %d)", computed, received,
                  mode, count);
    return false;
}

bool ReadBlock(uint8_t* buffer, std::size_t capacity, uint16_t* count) {
    uint16_t length = 0;
    if (!ReadWord(length)) return false;
    if (length < kLengthWordOverhead) {
        LogTranslated(u"Invalid block length %u", length);
        return false;
    }
    const uint16_t dataLength = static_cast<uint16_t>(length - kLengthWordOverhead);
    if (dataLength > capacity) {
        LogTranslated(u"Block of %u bytes is larger than the buffer of %u bytes", dataLength, capacity);
        SkipBytes(dataLength + kChecksumBytes);
        return false;
    }
    if (!ReadChecked(buffer, dataLength, static_cast<int>(ChecksumMode::Block))) return false;
    if (count) *count = dataLength;
    return true;
}

bool ReadStatus() { return ReadWord(Core().lastStatus); }

bool ExpectZeroStatus(const Char* readFailure, const Char* refusal) {
    if (!ReadStatus()) {
        LogTranslated(readFailure);
        return false;
    }
    if (Core().lastStatus == 0) return true;
    LogTranslated(refusal, Core().lastStatus);
    return false;
}

bool StatusMatches(uint16_t mask, uint16_t expected) {
    return (Core().lastStatus & mask) == expected;
}

}  // namespace vek
