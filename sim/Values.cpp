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

uint16_t InitialValue(const DeviceProfile& profile, const Definition& definition, uint32_t number) {
    const std::vector<uint16_t>& shipped = definition.startValues;
    if (!shipped.empty()) return shipped[std::min<size_t>(number - definition.number, shipped.size() - 1)];
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

// Every defined number with its definition, ascending. A number's own
// definition comes before an array that also covers it, and the first of
// several wins: the stable sort keeps their order.
std::vector<DefinedNumber> AllDefinedNumbers(const DeviceProfile& profile) {
    const std::vector<Definition>& definitions = profile.definitions;
    std::vector<DefinedNumber> defined;
    for (size_t i = 0; i < definitions.size(); ++i) defined.push_back({definitions[i].number, i});
    for (size_t i = 0; i < definitions.size(); ++i) {
        if (definitions[i].intCode == 0) continue;
        for (uint32_t element = 1; element <= definitions[i].count; ++element) {
            defined.push_back({definitions[i].number + element, i});
        }
    }
    std::stable_sort(defined.begin(), defined.end(),
                     [](const DefinedNumber& a, const DefinedNumber& b) { return a.number < b.number; });
    defined.erase(std::unique(defined.begin(), defined.end(),
                              [](const DefinedNumber& a, const DefinedNumber& b) { return a.number == b.number; }),
                  defined.end());
    return defined;
}

std::vector<uint32_t> NumbersOf(const std::vector<DefinedNumber>& defined) {
    std::vector<uint32_t> numbers;
    numbers.reserve(defined.size());
    for (const DefinedNumber& entry : defined) numbers.push_back(entry.number);
    return numbers;
}

const DefinedNumber* Find(const GovernorModel& model, uint32_t number) {
    const std::vector<DefinedNumber>& all = model.numbers.all;
    const auto at = std::lower_bound(all.begin(), all.end(), number,
                                     [](const DefinedNumber& entry, uint32_t n) { return entry.number < n; });
    return at != all.end() && at->number == number ? &*at : nullptr;
}

}  // namespace

ValueGroup GroupOf(uint32_t number) {
    const uint32_t remainder = number % kGroupPageSize;
    if (remainder < kMeasurementsFrom) return ValueGroup::Parameters;
    if (remainder < kFunctionsFrom) return ValueGroup::Measurements;
    if (remainder < kCurvesFrom) return ValueGroup::Functions;
    return ValueGroup::Curves;
}

NumberIndex IndexNumbers(const DeviceProfile& profile) {
    NumberIndex index;
    index.all = AllDefinedNumbers(profile);
    for (const DefinedNumber& entry : index.all) {
        index.groups[static_cast<size_t>(GroupOf(entry.number))].push_back(entry);
    }
    return index;
}

std::vector<uint32_t> DefinedNumbers(const DeviceProfile& profile) { return NumbersOf(AllDefinedNumbers(profile)); }

std::vector<uint32_t> GroupNumbers(const DeviceProfile& profile, ValueGroup group) {
    return NumbersOf(IndexNumbers(profile).groups[static_cast<size_t>(group)]);
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
    return InitialValue(model.profile, model.profile.definitions[defined.definition], defined.number);
}

bool IsDefined(const GovernorModel& model, uint32_t number) { return Find(model, number) != nullptr; }

const Definition* DefinitionOf(const GovernorModel& model, uint32_t number) {
    const DefinedNumber* defined = Find(model, number);
    return defined ? &model.profile.definitions[defined->definition] : nullptr;
}

std::optional<uint16_t> ReadValue(const GovernorModel& model, uint32_t number) {
    const DefinedNumber* defined = Find(model, number);
    if (!defined) return std::nullopt;
    return ValueOf(model, *defined);
}

bool WriteValue(GovernorModel& model, uint32_t number, uint16_t value) {
    if (!IsDefined(model, number)) return false;
    model.values.written[number] = value;
    return true;
}

}  // namespace vekgov
