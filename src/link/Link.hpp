// The link primitives through which every operation talks to the governor.
// None takes the communication lock: the calling operation holds it. All
// return true on success; the stream logs its own read and write failures.
#pragma once

#include "core/Report.hpp"
#include "link/Wire.hpp"

#include <cstddef>
#include <cstdint>

namespace vek {

enum class ChecksumMode : int { Block = 0, Sum = 1 };

// The largest data part a block can carry (the length word holds n + 2).
constexpr std::size_t kMaxBlockData = 0xFFFD;
constexpr uint16_t kStatusMask = 0x7FFF;          // the common status test: low 15 bits 0
constexpr uint16_t kChecksumFlag = 0x8000;        // set by the governor: actual errors changed
constexpr uint16_t kChecksumCompareMask = 0x7FFF;

bool SendBytes(const uint8_t* bytes, std::size_t count);
bool SendByte(uint8_t byte);
bool SendWord(uint16_t word);
bool SendFrame(const Frame& frame);
// Length word n + 2, the n data bytes, the block checksum, in one write.
bool SendBlock(const uint8_t* data, std::size_t count);
// The command byte followed by the block, in one write: one system call for
// the whole request instead of one for each of its pieces.
bool SendCommandBlock(uint8_t command, const uint8_t* data, std::size_t count);

bool ReadBytes(uint8_t* buffer, std::size_t count);
bool ReadWord(uint16_t& word);
// Reads and drops the rest of a reply that is not taken (count bytes, or
// what arrives of them in time), so that the next command's reply does not
// start with it.
bool SkipBytes(std::size_t count);

// Block checksum (2 + both bytes of n + data) or plain sum, modulo 65536;
// any other mode gives 0.
uint16_t BlockChecksum(int mode, const uint8_t* data, std::size_t count);
// Compares bits 0-14; on a match sets ErrorsCurrent from bit 15 of received.
bool ChecksumMatches(uint16_t computed, uint16_t received);

// Reads count data bytes and a checksum word and checks them in mode.
bool ReadChecked(uint8_t* buffer, std::size_t count, int mode);
// Reads a block into buffer[capacity]; its data length goes to *count when
// asked for. A length word below 2 or a block larger than the buffer fails
// with a log line and leaves the buffer untouched beyond its capacity; the
// larger block is read off the line all the same.
bool ReadBlock(uint8_t* buffer, std::size_t capacity, uint16_t* count);

// Reads the governor's status word into LastStatus.
bool ReadStatus();
// Whether (LastStatus & mask) == expected, compared as 16-bit values.
bool StatusMatches(uint16_t mask, uint16_t expected);

// Reads a status word that must be 0. Logs readFailure when none comes, or
// refusal with the status when it is not 0 (both translated first).
bool ExpectZeroStatus(const Char* readFailure, const Char* refusal);

// Reads the status word; true when it passes the test. Otherwise logs format
// with its arguments (callers translate it first); a missing word fails
// without a message of its own.
template <class... Args>
bool ExpectStatus(uint16_t mask, uint16_t expected, TextView format, const Args&... args) {
    if (!ReadStatus()) return false;
    if (StatusMatches(mask, expected)) return true;
    LogMessage(format, args...);
    return false;
}

}  // namespace vek
