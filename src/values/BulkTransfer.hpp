// The values of whole groups (parameters, measurements, functions, curves)
// in blocks. Neither side sends the numbers: both pair the values with the
// ascending walk over the group's defined numbers.
#pragma once

#include "pardef/Kinds.hpp"
#include "text/Text.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vek {

// Result codes of the group reads (0 is success, unlike elsewhere).
namespace read_result {
constexpr int Ok = 0;
constexpr int TooManyValues = 1;   // more values than the group has defined numbers
constexpr int SendFailed = 2;      // the command byte did not go out
constexpr int BlockFailed = 3;     // a block did not arrive whole and intact
}  // namespace read_result

// The largest block a read accepts and a write sends, in values.
constexpr std::size_t kReadBufferValues = 1002;
constexpr std::size_t kWriteBufferValues = 261;
// A written block is the command byte, the length word, the values and the
// checksum word, TransferBlockSize bytes at most; it must carry one value at
// least and no more than the write buffer holds.
constexpr std::size_t kWriteBlockOverhead = 5;
constexpr uint16_t kMinTransferBlockSize = kWriteBlockOverhead + 2;
constexpr uint16_t kMaxTransferBlockSize = 528;
static_assert((kMaxTransferBlockSize - kWriteBlockOverhead) / 2 == kWriteBufferValues, "a block fills the buffer");

// The position of one transfer in the walk over a group's defined numbers
// (up to the number at the end of the definition index). Lives for one call.
class IdCursor {
public:
    explicit IdCursor(ParKind kind);
    uint32_t Number() const { return ids_[position_]; }
    void MoveOn() { ++position_; }
    friend bool NextDefinedId(const IdCursor& cursor);

private:
    std::vector<uint32_t> ids_;
    std::size_t position_ = 0;
};

// Whether the cursor stands on a defined number of its group.
bool NextDefinedId(const IdCursor& cursor);

// One group read: its result code. statusText (already translated) heads
// the progress texts.
int VekReadAbstractValues(uint8_t command, ParKind kind, const Char* statusText);
// One group write in blocks of TransferBlockSize; nothing is sent while
// direct set is off.
bool VekWriteAbstractValues(uint8_t command, ParKind kind);

// The four group reads, all of them; their result codes ORed.
int ReadAllValues();
// Parameters, functions and curves; stops at the first failure.
bool WriteAllValues();

}  // namespace vek
