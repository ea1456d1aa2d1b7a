// Words and blocks on the serial line, from the governor's side.
// A block is: length word L (data bytes + 2), the data, a checksum word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vekgov {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kBlockLengthExtra = 2;   // length word = data bytes + 2
constexpr size_t kBlockOverhead = 4;        // length word and checksum word
constexpr uint16_t kChecksumFlag = 0x8000;  // set by the governor: actual errors changed
constexpr uint16_t kChecksumValue = 0x7FFF;  // the bits a host compares

inline uint16_t GetWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void AppendWord(Bytes& out, uint16_t word);
void AppendLong(Bytes& out, uint32_t value);
void PutWord(Bytes& out, size_t at, uint16_t word);

// (2 + low byte of n + high byte of n + sum of the data bytes) mod 65536.
uint16_t BlockChecksum(const uint8_t* data, size_t n);

// Length word, data, checksum (with the flag bit when asked).
Bytes EncodeBlock(const uint8_t* data, size_t n, bool flagged = false);
inline Bytes EncodeBlock(const Bytes& data, bool flagged = false) {
    return EncodeBlock(data.data(), data.size(), flagged);
}

// A block received from the host, looked at in the bytes buffered so far.
struct IncomingBlock {
    enum class State { Incomplete, Malformed, Complete };
    State state = State::Incomplete;
    size_t dataOffset = 0;  // from the start of the bytes passed in
    size_t dataLength = 0;
    size_t totalBytes = 0;  // bytes to consume: length word, data, checksum
    bool checksumMatches = false;
};

// Parses a block at `bytes`; a length word below 2 is malformed (only the
// length word is then counted in totalBytes). The host sends all 16 checksum
// bits, so they are compared in full.
IncomingBlock ParseBlock(const uint8_t* bytes, size_t available);

}  // namespace vekgov
