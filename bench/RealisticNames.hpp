// Parameter names as governors name them (stems, numbered channels,
// qualifiers, array suffixes), made the same way on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vekbench {

// count distinct names of 4 to 40 characters.
std::vector<std::string> RealisticNames(std::size_t count);

// A slightly different spelling of name, as a user would type it: a letter
// dropped or doubled, two letters swapped, the case of one letter changed, or
// a qualifier added. The choice follows seed.
std::string Misspelled(const std::string& name, uint32_t seed);

// A small, fixed pseudo-random sequence (the same on every platform).
class Sequence {
public:
    explicit Sequence(uint32_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    std::size_t Below(std::size_t n) { return Next() % n; }

private:
    uint32_t state_;
};

}  // namespace vekbench
