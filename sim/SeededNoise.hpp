// Noise for the engine model that repeats under the same seed on every
// platform: a SplitMix64 generator and doubles made from its bits only.
#pragma once

#include <cstdint>

namespace vekgov {

class SeededNoise {
public:
    explicit SeededNoise(uint64_t seed) : state_(seed) {}

    // Evenly spread in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> kDroppedBits) * kUnit; }
    // Mean 0, standard deviation 1: the sum of four uniform draws, which is
    // close enough to a bell curve and never far out.
    double Gaussian() {
        const double sum = Uniform() + Uniform() + Uniform() + Uniform();
        return (sum - kSumMean) * kSumScale;
    }

private:
    static constexpr unsigned kDroppedBits = 11;               // 53 bits remain, a double's mantissa
    static constexpr double kUnit = 1.0 / 9007199254740992.0;  // 2^-53
    static constexpr double kSumMean = 2.0;
    static constexpr double kSumScale = 1.7320508075688772;  // sqrt(3): the sum's deviation is 1/sqrt(3)

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    uint64_t state_;
};

}  // namespace vekgov
