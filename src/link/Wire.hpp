// Little-endian numbers on the serial line and a builder for request frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vek {

inline uint16_t GetWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLong(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutWord(uint8_t* p, uint16_t w) {
    p[0] = static_cast<uint8_t>(w);
    p[1] = static_cast<uint8_t>(w >> 8);
}

// The bytes of one request, built in order and sent at once.
class Frame {
public:
    Frame& Byte(uint8_t b) { bytes_.push_back(b); return *this; }
    Frame& Word(uint16_t w) { Byte(static_cast<uint8_t>(w)); return Byte(static_cast<uint8_t>(w >> 8)); }
    Frame& Long(uint32_t v) { Word(static_cast<uint16_t>(v)); return Word(static_cast<uint16_t>(v >> 16)); }
    // Plain 16-bit sum of every byte after the first `skip` bytes (inline checksums).
    uint16_t SumFrom(std::size_t skip) const {
        uint16_t sum = 0;
        for (std::size_t i = skip; i < bytes_.size(); ++i) sum = static_cast<uint16_t>(sum + bytes_[i]);
        return sum;
    }
    const uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace vek
