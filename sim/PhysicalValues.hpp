// Values in their definitions' units, as a service tool shows them: the raw
// word with its decimals, signed when the lower limit is a negative number's
// two's complement, scaled linearly between the definition's limits and its
// IntCode's range when the format says so. The engine model reads its
// parameters and writes its measurements through these.
#pragma once

#include <cstdint>
#include <optional>

namespace vekgov {

struct GovernorModel;

// Nothing for a number without a definition.
std::optional<double> ReadPhysical(const GovernorModel& model, uint32_t number);
// Puts the value into `setting` when the number has a definition, else
// leaves it alone.
void TakePhysical(const GovernorModel& model, uint32_t number, double& setting);
// Stores the nearest raw word within the definition's limits; false (and
// nothing stored) for a number without a definition.
bool WritePhysical(GovernorModel& model, uint32_t number, double value);

}  // namespace vekgov
