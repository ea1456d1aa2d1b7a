#include "Profiles.hpp"

#include "DefinitionBlocks.hpp"

#include <array>

namespace vekgov {

namespace {

constexpr uint16_t kNotInBootLoader = 0x0001;
constexpr uint16_t kLongNameLength = 30;

// A spread of ranges: flags, percentages, a signed range, full words.
std::vector<IntCodeRange> TypicalIntCodes() {
    return {{0, 1}, {0, 100}, {0, 1000}, {0xFF9C, 100}, {0, 32767}, {0x8000, 0x7FFF}, {0, 0xFFFF}};
}

IdentificationData TypicalIdentification() {
    return {{1307, 42}, {123, 45, 678, 9, 'B'}, {13, 27, 0x5678, 0x0001}};
}

DeviceProfile Modern(uint16_t hardwareVersion) {
    DeviceProfile p;
    p.syncWord = dev::SyncKind3;
    p.hardwareVersion = hardwareVersion;
    p.softwareVersion = 5123;
    p.transferBlockSize = 128;
    p.intCodes = TypicalIntCodes();
    p.checksumBlockLength = 32;
    p.definitionChecksum = {0x3A, 0x91, 0x5C, 0x07, 0xE2, 0x14, 0x8B, 0x60};
    p.bootstrapWord = kNotInBootLoader | dev::BootstrapExtendedErrorMemory;
    p.identification = TypicalIdentification();
    p.errorMemory = TypicalErrorMemory(record_format::Words);
    // Its application restarts into the boot loader to have itself erased.
    p.firmware.eraseRestarts = true;
    p.firmware.restartIntoBootLoader = true;
    return p;
}

DeviceProfile Default() {
    DeviceProfile p = Modern(2310);
    p.softwareExtension = 2;
    p.clickTestActuator = true;
    p.firmware.eraseBusyAnswers = 2;
    p.commandsInfo = dev::InfoExtendedActualErrors | dev::InfoExtendedFirmware | dev::InfoErrorMemoryVariant |
                     dev::InfoEnhanced | dev::InfoParameterPages;
    p.acceptedFeatures = {dev::FeatureEnhanced};
    return p;
}

DeviceProfile Hw4() {
    DeviceProfile p;
    p.syncWord = dev::SyncKind1;
    p.hardwareVersion = 412;
    p.softwareVersion = 1208;
    p.transferBlockSize = 64;
    p.intCodes = {{0, 1}, {0, 100}, {0, 1000}};
    p.checksumBlockLength = 6;
    p.definitionChecksum = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0};
    p.errorMemory = TypicalErrorMemory(record_format::Times);  // basic: words with the measurements
    return p;
}

DeviceProfile Hw5() {
    DeviceProfile p = Modern(510);
    p.syncWord = dev::SyncKind2;
    p.softwareVersion = 3210;
    p.errorMemory = TypicalErrorMemory(record_format::Times);
    return p;
}

DeviceProfile Hw21() {
    DeviceProfile p = Modern(2105);
    p.softwareVersion = 4105;
    p.softwareExtension = 1;
    p.commandsInfo = dev::InfoExtendedActualErrors | dev::InfoExtendedFirmware | dev::InfoErrorMemoryVariant;
    p.clickTestActuator = true;
    // Two argument sets, but 16-bit numbers: its records have no room for the second.
    p.errorMemory = TypicalErrorMemory(record_format::TwoArgSets);
    return p;
}

DeviceProfile Plain() {
    DeviceProfile p = Modern(1003);
    p.syncWord = dev::SyncKind1;
    p.softwareVersion = 2001;
    p.identification.reset();
    return p;
}

DeviceProfile BootLoader() {
    DeviceProfile p = Modern(0);
    p.softwareVersion = 0;
    p.intCodes.clear();
    p.bootstrapWord = 0;
    p.identification.reset();
    return p;
}

DeviceProfile Wide() {
    DeviceProfile p = Default();
    p.commandsInfo = static_cast<uint16_t>((p.commandsInfo & ~dev::InfoEnhanced) | dev::InfoWideNumbers);
    p.parDefNameLength = kLongNameLength;
    p.acceptedFeatures = {dev::FeatureWideNumbers, dev::FeatureLongNames};
    p.errorMemory = TypicalErrorMemory(record_format::TwoArgSets);
    return p;
}

DeviceProfile Enhanced() {
    DeviceProfile p = Default();
    p.commandsInfo = static_cast<uint16_t>(p.commandsInfo | dev::InfoEnhanced | dev::InfoWideNumbers);
    p.parDefNameLength = kLongNameLength;
    p.acceptedFeatures = {dev::FeatureEnhanced, dev::FeatureWideNumbers, dev::FeatureLongNames};
    return p;
}

struct NamedProfile {
    std::string_view name;
    DeviceProfile (*make)();
};

constexpr std::array<NamedProfile, 8> kProfiles = {{
    {"default", Default},
    {"hw4", Hw4},
    {"hw5", Hw5},
    {"hw21", Hw21},
    {"plain", Plain},
    {"bootloader", BootLoader},
    {"wide", Wide},
    {"enhanced", Enhanced},
}};

}  // namespace

std::optional<DeviceProfile> FindProfile(std::string_view name) {
    for (const NamedProfile& entry : kProfiles) {
        if (entry.name != name) continue;
        DeviceProfile profile = entry.make();
        profile.name = std::string(name);
        AttachBuiltInDefinitions(profile);
        return profile;
    }
    return std::nullopt;
}

std::vector<std::string_view> ProfileNames() {
    std::vector<std::string_view> names;
    for (const NamedProfile& entry : kProfiles) names.push_back(entry.name);
    return names;
}

}  // namespace vekgov
