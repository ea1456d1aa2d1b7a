// The error memory configuration that the extended governor reports: record
// format, an auxiliary word, the argument count and the numbers of the
// parameters recorded as arguments. Kept in the device record.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vek {

// The largest configuration block: three words and sixteen 32-bit numbers.
constexpr std::size_t kErrorMemoryConfigCapacity = 76;

// Stores a configuration block's data[length] in the device record; the
// argument numbers are 32 bits wide when wideNumbers, else 16. Fields that
// the block does not reach become 0.
void StoreErrorMemoryConfig(const uint8_t* data, std::size_t length, bool wideNumbers);

// Asks for the configuration block and stores it. Link failures (a block
// larger than kErrorMemoryConfigCapacity among them) return false and leave
// the device record as it was.
bool ReadErrorMemoryConfig();

}  // namespace vek
