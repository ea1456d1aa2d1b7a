// How long bytes take on a serial line: a start bit, 8 data bits and a stop
// bit each, nothing between them.
#pragma once

#include <cstdint>

namespace vekbench {

constexpr double kBitsPerByte = 10;

inline double WireSeconds(uint64_t bytes, uint32_t baud) {
    return static_cast<double>(bytes) * kBitsPerByte / static_cast<double>(baud);
}

}  // namespace vekbench
