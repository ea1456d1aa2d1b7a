// Large governors for the in-process figures: the default profile with
// thousands of realistic definitions instead of its own.
#pragma once

#include "DeviceProfile.hpp"

#include <cstddef>

namespace vekbench {

// Room for one line of a saved parameter file, the longest value line included.
constexpr std::size_t kPrmBytesPerLine = 128;

enum class NumberLayout {
    AllKinds,        // spread over parameters, measurements, functions and curves
    ParametersOnly,  // every number a parameter (the ones a parameter file holds)
};

// The default profile carrying count single definitions of every IntCode
// and format; definition blocks of up to blockBytes.
vekgov::DeviceProfile ProfileWithDefinitions(std::size_t count, NumberLayout layout, uint16_t blockBytes);

}  // namespace vekbench
