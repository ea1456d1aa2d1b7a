#include "ManyDefinitions.hpp"

#include "DefinitionBlocks.hpp"
#include "Profiles.hpp"
#include "RealisticNames.hpp"

#include <string>
#include <vector>

namespace vekbench {

namespace {

constexpr uint32_t kSeed = 1;
constexpr uint32_t kAllKindsStep = 6;      // numbers 1, 7, 13, ... pass every kind of the 16-bit range
constexpr uint32_t kParametersPerPage = 2000;  // parameter numbers are 0-1999 of every 10000
constexpr uint32_t kPageSize = 10000;
constexpr std::size_t kIntCodes = 7;
constexpr std::size_t kLargestMax = 30000;
constexpr std::size_t kFormats = 4;
constexpr unsigned kFormatShift = 4;  // decimals in the high nibble

uint32_t NumberAt(std::size_t i, NumberLayout layout) {
    const auto n = static_cast<uint32_t>(i);
    if (layout == NumberLayout::AllKinds) return n * kAllKindsStep + 1;
    return (n / kParametersPerPage) * kPageSize + n % kParametersPerPage;
}

}  // namespace

vekgov::DeviceProfile ProfileWithDefinitions(std::size_t count, NumberLayout layout, uint16_t blockBytes) {
    const std::vector<std::string> names = RealisticNames(count);
    Sequence seq(kSeed);
    std::vector<vekgov::Definition> definitions;
    for (std::size_t i = 0; i < count; ++i) {
        vekgov::Definition d;
        d.number = NumberAt(i, layout);
        d.name = names[i];
        d.intCode = static_cast<uint8_t>(seq.Below(kIntCodes));
        d.min = 0;
        d.max = static_cast<uint16_t>(1 + seq.Below(kLargestMax));
        d.unit = "rpm";
        d.format = static_cast<uint8_t>(seq.Below(kFormats) << kFormatShift);
        definitions.push_back(std::move(d));
    }
    vekgov::DeviceProfile profile = *vekgov::FindProfile("default");
    std::string error;
    vekgov::AttachDefinitions(profile, std::move(definitions), error);
    profile.definitionBlockBytes = blockBytes;
    return profile;
}

}  // namespace vekbench
