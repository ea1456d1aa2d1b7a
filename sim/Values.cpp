#include "Values.hpp"

#include "Framing.hpp"
#include "GovernorModel.hpp"

#include <algorithm>
#include <set>

namespace vekgov {

namespace {

constexpr uint32_t kMeasurementsFrom = 2000;
constexpr uint32_t kFunctionsFrom = 4000;
constexpr uint32_t kCurvesFrom = 6000;
constexpr uint8_t kScaledFormat = 0x08;
constexpr uint8_t kRangeIntCode = 250;

// The definition that gives number its value: its own, or its array's.
const Definition* DefinitionOf(const DeviceProfile& profile, uint32_t number) {
    for (const Definition& definition : profile.definitions) {
        if (definition.number == number) return &definition;
    }
    for (const Definition& definition : profile.definitions) {
        const bool isArray = definition.intCode != 0 && definition.count > 0;
        if (isArray && number > definition.number && number - definition.number <= definition.count) {
            return &definition;
        }
    }
    return nullptr;
}

uint16_t InitialValue(const DeviceProfile& profile, const Definition& definition) {
    if (definition.intCode == kRangeIntCode) return 0;
    if (definition.format & kScaledFormat) {
        return definition.intCode < profile.intCodes.size() ? profile.intCodes[definition.intCode].min
                                                            : definition.min;
    }
    // A lower limit above the upper one is a negative number's two's complement:
    // the range then reaches 0 (the upper limit is never negative).
    const bool signedLimits = definition.min > definition.max;
    return signedLimits || definition.min == 0 ? 0 : definition.min;
}

}  // namespace

ValueGroup GroupOf(uint32_t number) {
    const uint32_t remainder = number % kGroupPageSize;
    if (remainder < kMeasurementsFrom) return ValueGroup::Parameters;
    if (remainder < kFunctionsFrom) return ValueGroup::Measurements;
    if (remainder < kCurvesFrom) return ValueGroup::Functions;
    return ValueGroup::Curves;
}

std::vector<uint32_t> DefinedNumbers(const DeviceProfile& profile) {
    std::set<uint32_t> numbers;
    for (const Definition& definition : profile.definitions) {
        numbers.insert(definition.number);
        if (definition.intCode == 0) continue;
        for (uint32_t element = 1; element <= definition.count; ++element) numbers.insert(definition.number + element);
    }
    return {numbers.begin(), numbers.end()};
}

std::vector<uint32_t> GroupNumbers(const DeviceProfile& profile, ValueGroup group) {
    std::vector<uint32_t> numbers = DefinedNumbers(profile);
    numbers.erase(std::remove_if(numbers.begin(), numbers.end(), [group](uint32_t n) { return GroupOf(n) != group; }),
                  numbers.end());
    return numbers;
}

size_t ValuesPerReadBlock(const DeviceProfile& profile) {
    if (profile.valueReadBlockValues > 0) return profile.valueReadBlockValues;
    const size_t fitting = profile.transferBlockSize > kBlockOverhead
                               ? (profile.transferBlockSize - kBlockOverhead) / kValueBytes
                               : 0;
    return std::max<size_t>(fitting, 1);
}

std::optional<uint16_t> ReadValue(const GovernorModel& model, uint32_t number) {
    const Definition* definition = DefinitionOf(model.profile, number);
    if (!definition) return std::nullopt;
    const auto written = model.values.written.find(number);
    if (written != model.values.written.end()) return written->second;
    return InitialValue(model.profile, *definition);
}

bool WriteValue(GovernorModel& model, uint32_t number, uint16_t value) {
    if (!DefinitionOf(model.profile, number)) return false;
    model.values.written[number] = value;
    return true;
}

}  // namespace vekgov
