// Named governors to simulate:
//   default     modern governor, hardware 23.10, software 5123 extension 2,
//               16-bit parameter numbers (CommandsInfo bits 5, 8, 10, 11, 14)
//   hw4         old governor, 6-byte checksum block, no identification
//   hw5         hardware 5, identification, no protocol extras
//   hw21        hardware 21, extended errors, firmware and error memory bits
//   plain       hardware 10, whose features are all off, no identification
//   bootloader  boot loader running: hardware 0, BootstrapWord 0
//   wide        32-bit parameter numbers (bit 12) and 30-character names
//   enhanced    bits 11 and 12 and 30-character names, all features granted
// All but hw4 restart into their boot loader to have the firmware erased
// (default then answers "busy" twice); default, hw21, wide and enhanced have
// a click test actuator, the others take the actuator auto-adjustment.
#pragma once

#include "DeviceProfile.hpp"

#include <optional>
#include <string_view>
#include <vector>

namespace vekgov {

std::optional<DeviceProfile> FindProfile(std::string_view name);
std::vector<std::string_view> ProfileNames();

}  // namespace vekgov
