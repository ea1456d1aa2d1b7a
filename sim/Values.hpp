// The governor's raw values: one 16-bit word for every number it defines,
// array elements included. A value that nobody has written yet holds its
// initial value: its definition's start value where it has one, else worked
// out from the definition: 0 where it allows 0, else its lowest value (for a
// scaled one, the lowest word of its IntCode). Tests read and change the values through ReadValue and
// WriteValue, as the host does over the line.
#pragma once

#include "DeviceProfile.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace vekgov {

struct GovernorModel;

// The groups of numbers that travel in blocks; the remainder of a number
// modulo kGroupPageSize tells its group.
enum class ValueGroup : size_t { Parameters, Measurements, Functions, Curves };
constexpr size_t kValueGroupCount = 4;
constexpr uint32_t kGroupPageSize = 10000;
constexpr size_t kValueBytes = 2;  // one raw value on the line

ValueGroup GroupOf(uint32_t number);

struct ValueMemory {
    std::map<uint32_t, uint16_t> written;  // every value written since the start
    // Where the block transfers of each group stand in the group's numbers.
    std::array<size_t, kValueGroupCount> readPosition{};
    std::array<size_t, kValueGroupCount> writePosition{};

    // A new conversation starts every transfer from the group's first number.
    void ForgetTransfers() {
        readPosition = {};
        writePosition = {};
    }
};

// A defined number and the position in the profile's definitions of the
// definition that gives it its value: its own, or that of the array it
// belongs to.
struct DefinedNumber {
    uint32_t number;
    size_t definition;
};

// Every defined number, ascending, all together and by group (the walk that
// the block transfers pair their values with). A governor's definitions do
// not change while it runs, so the model builds this once.
struct NumberIndex {
    std::vector<DefinedNumber> all;
    std::array<std::vector<DefinedNumber>, kValueGroupCount> groups;
};
NumberIndex IndexNumbers(const DeviceProfile& profile);

// Every defined number: the definitions' own and their array elements'
// (IntCode other than 0 and a count above 0), ascending.
std::vector<uint32_t> DefinedNumbers(const DeviceProfile& profile);
// The defined numbers of one group, ascending.
std::vector<uint32_t> GroupNumbers(const DeviceProfile& profile, ValueGroup group);

// The values a block of a group read carries: the profile's setting, or as
// many as fit with the length and checksum words into a block of
// transferBlockSize bytes (one at least).
size_t ValuesPerReadBlock(const DeviceProfile& profile);

// The value of a defined number.
uint16_t ValueOf(const GovernorModel& model, const DefinedNumber& defined);
bool IsDefined(const GovernorModel& model, uint32_t number);
// The definition that gives a number its value (an array's for its
// elements); null for a number without one.
const Definition* DefinitionOf(const GovernorModel& model, uint32_t number);
// The value of a number; nothing for a number without a definition.
std::optional<uint16_t> ReadValue(const GovernorModel& model, uint32_t number);
// False (and nothing stored) for a number without a definition.
bool WriteValue(GovernorModel& model, uint32_t number, uint16_t value);

}  // namespace vekgov
