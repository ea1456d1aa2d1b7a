#include "Framing.hpp"

namespace vekgov {

void AppendWord(Bytes& out, uint16_t word) {
    out.push_back(static_cast<uint8_t>(word));
    out.push_back(static_cast<uint8_t>(word >> 8));
}

void AppendLong(Bytes& out, uint32_t value) {
    AppendWord(out, static_cast<uint16_t>(value));
    AppendWord(out, static_cast<uint16_t>(value >> 16));
}

void PutWord(Bytes& out, size_t at, uint16_t word) {
    out[at] = static_cast<uint8_t>(word);
    out[at + 1] = static_cast<uint8_t>(word >> 8);
}

uint16_t BlockChecksum(const uint8_t* data, size_t n) {
    uint32_t sum = kBlockLengthExtra + (n & 0xFF) + ((n >> 8) & 0xFF);
    for (size_t i = 0; i < n; ++i) sum += data[i];
    return static_cast<uint16_t>(sum);
}

Bytes EncodeBlock(const uint8_t* data, size_t n, bool flagged) {
    Bytes out;
    out.reserve(n + kBlockOverhead);
    AppendWord(out, static_cast<uint16_t>(n + kBlockLengthExtra));
    out.insert(out.end(), data, data + n);
    const uint16_t checksum = BlockChecksum(data, n);
    AppendWord(out, flagged ? static_cast<uint16_t>(checksum | kChecksumFlag) : checksum);
    return out;
}

IncomingBlock ParseBlock(const uint8_t* bytes, size_t available) {
    IncomingBlock block;
    if (available < 2) return block;
    const uint16_t length = GetWord(bytes);
    if (length < kBlockLengthExtra) {
        block.state = IncomingBlock::State::Malformed;
        block.totalBytes = 2;
        return block;
    }
    block.dataOffset = 2;
    block.dataLength = length - kBlockLengthExtra;
    block.totalBytes = block.dataLength + kBlockOverhead;
    if (available < block.totalBytes) return block;
    block.state = IncomingBlock::State::Complete;
    const uint16_t received = GetWord(bytes + block.dataOffset + block.dataLength);
    block.checksumMatches = received == BlockChecksum(bytes + block.dataOffset, block.dataLength);
    return block;
}

}  // namespace vekgov
