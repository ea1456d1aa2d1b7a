#include "DefinitionBlocks.hpp"

#include <algorithm>
#include <limits>
#include <set>
#include <string>

namespace vekgov {

namespace {

constexpr size_t kShortNumberBytes = 2;
constexpr size_t kWideNumberBytes = 4;
constexpr size_t kDefaultNameBytes = 20;
constexpr size_t kUnitFieldBytes = 7;
// Limits, unit, IntCode, format and count after the name.
constexpr size_t kFixedRecordBytes = 2 + 2 + kUnitFieldBytes + 1 + 1 + 1;
constexpr uint8_t kRangeIntCode = 250;
// Old governors send only the start of the checksum block; they have no boot loader word.
constexpr size_t kShortChecksumBlockBytes = 6;
// Nor a definition total: their table always has the same size, and the
// slots the firmware does not use go out as spare records (flags at 0).
constexpr uint32_t kOldGovernorDefinitionBytes = 12744;
constexpr uint32_t kFirstSpareNumber = 1000;
constexpr uint8_t kFlagIntCode = 0;

void FillOldGovernorTable(std::vector<Definition>& definitions, const DefinitionLayout& layout) {
    const size_t slots = kOldGovernorDefinitionBytes / layout.RecordSize();
    for (uint32_t spare = 1; definitions.size() < slots; ++spare) {
        definitions.push_back(
            {kFirstSpareNumber + spare - 1, "Spare" + std::to_string(spare), 0, 1, "", kFlagIntCode, 0, 0, {}});
    }
}

void AppendField(Bytes& out, const std::string& text, size_t width) {
    const size_t used = std::min(text.size(), width);
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(used));
    out.insert(out.end(), width - used, 0);
}

uint32_t TotalBytes(const std::vector<Definition>& definitions, const DefinitionLayout& layout) {
    return static_cast<uint32_t>(definitions.size() * layout.RecordSize());
}

}  // namespace

size_t DefinitionLayout::RecordSize() const { return numberBytes + nameBytes + kFixedRecordBytes; }

DefinitionLayout LayoutOf(const DeviceProfile& profile) {
    const bool wide = (profile.commandsInfo & dev::InfoWideNumbers) != 0;
    return {wide ? kWideNumberBytes : kShortNumberBytes,
            profile.parDefNameLength ? profile.parDefNameLength : kDefaultNameBytes};
}

void AppendDefinition(Bytes& out, const Definition& definition, const DefinitionLayout& layout) {
    if (layout.numberBytes == kWideNumberBytes) {
        AppendLong(out, definition.number);
    } else {
        AppendWord(out, static_cast<uint16_t>(definition.number));
    }
    AppendField(out, definition.name, layout.nameBytes);
    AppendWord(out, definition.min);
    AppendWord(out, definition.max);
    AppendField(out, definition.unit, kUnitFieldBytes);
    out.push_back(definition.intCode);
    out.push_back(definition.format);
    out.push_back(definition.count);
}

bool AttachDefinitions(DeviceProfile& profile, std::vector<Definition> definitions, std::string& error) {
    const DefinitionLayout layout = LayoutOf(profile);
    if (layout.numberBytes == kShortNumberBytes) {
        for (const Definition& definition : definitions) {
            if (definition.number > std::numeric_limits<uint16_t>::max()) {
                error = "number " + std::to_string(definition.number) +
                        " needs 32-bit parameter numbers (a profile such as 'wide')";
                return false;
            }
        }
    }
    const uint32_t total = TotalBytes(definitions, layout);
    const bool fitsWord = total <= std::numeric_limits<uint16_t>::max();
    profile.parDefTotalBytes = fitsWord ? static_cast<uint16_t>(total) : std::numeric_limits<uint16_t>::max();
    profile.parDefTotalBytesLong = fitsWord ? 0 : total;
    profile.definitions = std::move(definitions);
    return true;
}

void AttachBuiltInDefinitions(DeviceProfile& profile) {
    std::vector<Definition> definitions;
    const bool bootLoader = profile.checksumBlockLength > kShortChecksumBlockBytes && profile.bootstrapWord == 0;
    if (!bootLoader) {
        const std::vector<Definition> all = DefaultDefinitions();
        const auto describable = [&](const Definition& d) { return d.intCode < profile.intCodes.size(); };
        std::set<uint32_t> describableNumbers;
        for (const Definition& d : all) {
            if (describable(d)) describableNumbers.insert(d.number);
        }
        // A range parameter stays only with both parameters that give its limits.
        const auto limitsKnown = [&](const Definition& d) {
            return d.intCode == kRangeIntCode && describableNumbers.count(d.min) && describableNumbers.count(d.max);
        };
        for (const Definition& d : all) {
            if (describable(d) || limitsKnown(d)) definitions.push_back(d);
        }
        if (profile.checksumBlockLength == kShortChecksumBlockBytes) FillOldGovernorTable(definitions, LayoutOf(profile));
    }
    std::string unused;
    AttachDefinitions(profile, std::move(definitions), unused);  // built-in numbers fit 16 bits
}

}  // namespace vekgov
