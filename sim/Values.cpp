#include "Values.hpp"

#include "Framing.hpp"
#include "GovernorModel.hpp"

#include <algorithm>

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

// The defined numbers that keep accepts, with their definitions, ascending.
template <class Keep>
std::vector<DefinedNumber> DefinedNumbersWhere(const DeviceProfile& profile, Keep keep) {
    std::vector<DefinedNumber> defined;
    for (const Definition& definition : profile.definitions) {
        if (keep(definition.number)) defined.push_back({definition.number, &definition});
    }
    for (const Definition& definition : profile.definitions) {
        if (definition.intCode == 0) continue;
        for (uint32_t element = 1; element <= definition.count; ++element) {
            if (keep(definition.number + element)) defined.push_back({definition.number + element, &definition});
        }
    }
    // A number's own definition comes before an array that also covers it,
    // and the first of several wins: the stable sort keeps their order.
    std::stable_sort(defined.begin(), defined.end(),
                     [](const DefinedNumber& a, const DefinedNumber& b) { return a.number < b.number; });
    defined.erase(std::unique(defined.begin(), defined.end(),
                              [](const DefinedNumber& a, const DefinedNumber& b) { return a.number == b.number; }),
                  defined.end());
    return defined;
}

}  // namespace

ValueGroup GroupOf(uint32_t number) {
    const uint32_t remainder = number % kGroupPageSize;
    if (remainder < kMeasurementsFrom) return ValueGroup::Parameters;
    if (remainder < kFunctionsFrom) return ValueGroup::Measurements;
    if (remainder < kCurvesFrom) return ValueGroup::Functions;
    return ValueGroup::Curves;
}

std::vector<DefinedNumber> DefinedNumbersWithDefinitions(const DeviceProfile& profile) {
    return DefinedNumbersWhere(profile, [](uint32_t) { return true; });
}

std::vector<uint32_t> DefinedNumbers(const DeviceProfile& profile) {
    std::vector<uint32_t> numbers;
    for (const DefinedNumber& defined : DefinedNumbersWithDefinitions(profile)) numbers.push_back(defined.number);
    return numbers;
}

std::vector<DefinedNumber> GroupMembers(const DeviceProfile& profile, ValueGroup group) {
    return DefinedNumbersWhere(profile, [group](uint32_t number) { return GroupOf(number) == group; });
}

std::vector<uint32_t> GroupNumbers(const DeviceProfile& profile, ValueGroup group) {
    std::vector<uint32_t> numbers;
    for (const DefinedNumber& member : GroupMembers(profile, group)) numbers.push_back(member.number);
    return numbers;
}

size_t ValuesPerReadBlock(const DeviceProfile& profile) {
    if (profile.valueReadBlockValues > 0) return profile.valueReadBlockValues;
    const size_t fitting = profile.transferBlockSize > kBlockOverhead
                               ? (profile.transferBlockSize - kBlockOverhead) / kValueBytes
                               : 0;
    return std::max<size_t>(fitting, 1);
}

uint16_t ValueOf(const GovernorModel& model, const DefinedNumber& defined) {
    const auto written = model.values.written.find(defined.number);
    if (written != model.values.written.end()) return written->second;
    return InitialValue(model.profile, *defined.definition);
}

std::optional<uint16_t> ReadValue(const GovernorModel& model, uint32_t number) {
    const Definition* definition = DefinitionOf(model.profile, number);
    if (!definition) return std::nullopt;
    return ValueOf(model, {number, definition});
}

bool WriteValue(GovernorModel& model, uint32_t number, uint16_t value) {
    if (!DefinitionOf(model.profile, number)) return false;
    model.values.written[number] = value;
    return true;
}

}  // namespace vekgov
