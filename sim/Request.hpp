// The bytes buffered from the host, starting at a command byte. A handler
// checks with Has() that its whole request has arrived before reading it.
#pragma once

#include "Framing.hpp"

#include <cstddef>
#include <cstdint>

namespace vekgov {

struct Request {
    const uint8_t* bytes = nullptr;
    size_t size = 0;

    bool Has(size_t n) const { return size >= n; }
    uint8_t Command() const { return bytes[0]; }
    uint8_t Byte(size_t at) const { return bytes[at]; }
    uint16_t Word(size_t at) const { return GetWord(bytes + at); }
};

}  // namespace vekgov
