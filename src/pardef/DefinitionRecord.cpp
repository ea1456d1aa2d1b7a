#include "pardef/DefinitionRecord.hpp"

#include "connection/DeviceInfo.hpp"
#include "core/Report.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"

namespace vek {

namespace {

constexpr std::size_t kShortIdBytes = 2;
constexpr std::size_t kLongIdBytes = 4;
constexpr std::size_t kDefaultNameBytes = 20;  // when the governor announces 0

// Offsets of the fixed fields after the number and the name.
namespace field {
constexpr std::size_t Min = 0;
constexpr std::size_t Max = 2;
constexpr std::size_t Unit = 4;
constexpr std::size_t UnitBytes = 7;
constexpr std::size_t IntCode = Unit + UnitBytes;
constexpr std::size_t Format = IntCode + 1;
constexpr std::size_t Count = Format + 1;
constexpr std::size_t FixedBytes = Count + 1;  // 14
}  // namespace field

constexpr Char kSpace = u' ';

// A lower limit above the upper one (both unsigned) is a negative number.
int32_t LowerLimit(uint16_t wireMin, uint16_t wireMax) {
    return wireMin > wireMax ? static_cast<int16_t>(wireMin) : static_cast<int32_t>(wireMin);
}

}  // namespace

std::size_t RecordLayout::size() const { return idBytes + nameBytes + field::FixedBytes; }

RecordLayout AnnouncedRecordLayout() {
    const uint16_t nameBytes = ChecksumBlockWord(checksum_block::ParDefNameLength);
    return {UsesLongParameterNumbers() ? kLongIdBytes : kShortIdBytes,
            nameBytes ? nameBytes : kDefaultNameBytes};
}

void WidenText(Char* dst, std::size_t capacity, const uint8_t* src, std::size_t n) {
    if (capacity == 0) return;
    std::size_t length = 0;
    for (std::size_t i = 0; i < n && src[i] != 0 && length + 1 < capacity; ++i) {
        if (src[i] != kSpace) dst[length++] = src[i];
    }
    dst[length] = 0;
}

uint32_t RecordNumber(const uint8_t* bytes, const RecordLayout& layout) {
    return layout.idBytes == kLongIdBytes ? GetLong(bytes) : GetWord(bytes);
}

bool DecodeRecord(const uint8_t* bytes, const RecordLayout& layout) {
    const uint32_t id = RecordNumber(bytes, layout);
    Char name[kNameCapacity] = {};
    WidenText(name, kNameCapacity, bytes + layout.idBytes, layout.nameBytes);

    ParDef* def = AddNewParDef(id);
    if (!def) return true;  // reported; the first definition stays

    const uint8_t* fixed = bytes + layout.idBytes + layout.nameBytes;
    const uint8_t intCode = fixed[field::IntCode];
    const uint8_t count = fixed[field::Count];
    def->ArrayIndex = count;
    def->ArrayLength = static_cast<uint8_t>(intCode == 0 ? 1 : count + 1);
    if (!IsKnownIntCode(intCode)) {
        LogTranslated(u"Unknown code %u for parameter %u", intCode, id);
        return false;
    }
    def->IntCode = intCode;
    const uint16_t wireMin = GetWord(fixed + field::Min);
    const uint16_t wireMax = GetWord(fixed + field::Max);
    def->Min = LowerLimit(wireMin, wireMax);
    def->Max = wireMax;
    def->Format = fixed[field::Format];
    CopyText(FromApi(def->Name), kNameCapacity, name);
    WidenText(FromApi(def->Unit), kUnitCapacity, fixed + field::Unit, kMaxUnitLength);
    return true;
}

}  // namespace vek
