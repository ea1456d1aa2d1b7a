// A stream whose governor answers with given bytes: whatever the library
// writes is accepted, and reads take the next bytes in order. When they run
// out, a read takes what is left and fails at once, as after a time-out.
// Installed into the stream record for the life of the object.
#pragma once

#include "VekLib.h"

#include <cstddef>
#include <cstdint>

namespace vekfuzz {

class ReplyStream {
public:
    ReplyStream(const uint8_t* replies, size_t size, SerialStream* stream = VekGetStream());
    // Puts the record's previous contents back.
    ~ReplyStream();
    ReplyStream(const ReplyStream&) = delete;
    ReplyStream& operator=(const ReplyStream&) = delete;

private:
    struct Slots;

    SerialStream* stream_;
    SerialStream saved_;
    const uint8_t* replies_;
    size_t size_;
    size_t position_ = 0;
    int32_t timeout_ = 0;
    bool open_ = false;
};

}  // namespace vekfuzz
