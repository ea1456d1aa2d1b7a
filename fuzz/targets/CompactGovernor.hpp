// A named simulated governor cut down to a few of its definitions of every
// kind (plain, signed, decimals, scaled, hexadecimal, range-limited, arrays,
// the second page, measurements, versions, functions, curves), so that a
// connection with the definition download is quick enough to run per input.
#pragma once

#include "DeviceProfile.hpp"

#include <string_view>

namespace vekfuzz {

// The profile's definitions cut down as above; name must be a known profile.
vekgov::DeviceProfile CompactProfile(std::string_view name);

}  // namespace vekfuzz
