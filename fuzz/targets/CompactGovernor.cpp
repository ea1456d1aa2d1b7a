#include "CompactGovernor.hpp"

#include "DefinitionBlocks.hpp"
#include "Profiles.hpp"

#include <string>
#include <utility>

namespace vekfuzz {

namespace {

constexpr uint32_t kPageSize = 10000;

struct NumberSpan {
    uint32_t first;
    uint32_t last;
};

// Within a page: the speed, controller, fuel, range and communication
// parameters, the first measurements, the running timer, the version
// numbers, one function and one curve.
constexpr NumberSpan kKeptSpans[] = {{0, 129},     {2000, 2015}, {2999, 2999},
                                     {3840, 3847}, {4000, 4019}, {6000, 6019}};

bool Kept(uint32_t number) {
    const uint32_t inPage = number % kPageSize;
    for (const NumberSpan& span : kKeptSpans) {
        if (inPage >= span.first && inPage <= span.last) return true;
    }
    return false;
}

}  // namespace

vekgov::DeviceProfile CompactProfile(std::string_view name) {
    vekgov::DeviceProfile profile = *vekgov::FindProfile(name);
    std::vector<vekgov::Definition> kept;
    for (const vekgov::Definition& definition : profile.definitions) {
        if (Kept(definition.number)) kept.push_back(definition);
    }
    std::string unused;
    vekgov::AttachDefinitions(profile, std::move(kept), unused);  // the profile's own numbers fit it
    return profile;
}

}  // namespace vekfuzz
