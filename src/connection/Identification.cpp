// The governor's production data (serial data, PPS number, board number) as
// fixed display texts in the device record.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vek {

namespace {

constexpr std::size_t kIdentificationBlockCapacity = 64;
constexpr std::size_t kPpsWords = 5;
constexpr std::size_t kBoardWords = 4;
constexpr uint16_t kSerialDateSplit = 100;  // 1307 reads 13 07
constexpr uint16_t kPpsLongFieldModulus = 1000;
constexpr uint16_t kPpsShortFieldModulus = 100;
constexpr uint16_t kBoardFirstModulus = 100;
constexpr uint16_t kBoardSecondModulus = 54;  // the board numbering wraps at 54
constexpr Char kNoPpsLetter = u' ';
constexpr TextView kSerialDateFormat = u"%02u %02u";
constexpr TextView kSerialNumberFormat = u"%05u";

// One reply; words beyond its data read as 0.
struct IdentificationBlock {
    uint8_t data[kIdentificationBlockCapacity] = {};
    uint16_t length = 0;

    std::size_t Words() const { return length / 2u; }
    uint16_t Word(std::size_t index) const { return index < Words() ? GetWord(data + 2 * index) : 0; }
};

// The record's texts sit at odd offsets in the packed record: they are
// reached through their offsets and written as bytes.
struct TextField {
    std::size_t offset;
    std::size_t capacity;
};
constexpr TextField kSerialDate{offsetof(VekStruct, SerialDate),
                                sizeof(VekStruct::SerialDate) / sizeof(VekChar)};
constexpr TextField kSerialNumber{offsetof(VekStruct, SerialNumber),
                                  sizeof(VekStruct::SerialNumber) / sizeof(VekChar)};
constexpr TextField kPpsNumber{offsetof(VekStruct, PpsNumber),
                               sizeof(VekStruct::PpsNumber) / sizeof(VekChar)};
constexpr TextField kBoardNumber{offsetof(VekStruct, BoardNumber),
                                 sizeof(VekStruct::BoardNumber) / sizeof(VekChar)};
constexpr std::size_t kLongestText =
    std::max({kSerialDate.capacity, kSerialNumber.capacity, kPpsNumber.capacity, kBoardNumber.capacity});

void SetText(const TextField& field, TextView text) {
    Char buffer[kLongestText] = {};
    CopyText(buffer, field.capacity, text);
    std::memcpy(reinterpret_cast<uint8_t*>(&Device()) + field.offset, buffer, field.capacity * sizeof(Char));
}

bool Request(uint8_t subCommand, IdentificationBlock& block, const Char* sendFailure,
             const Char* readFailure) {
    const uint8_t request[] = {cmd::Identification, subCommand};
    if (!SendBytes(request, sizeof request)) {
        LogMessage(sendFailure);
        return false;
    }
    if (!ReadBlock(block.data, sizeof block.data, &block.length)) {
        LogMessage(readFailure);
        return false;
    }
    return true;
}

bool IsAsciiLetter(uint16_t code) { return (code >= u'A' && code <= u'Z') || (code >= u'a' && code <= u'z'); }

bool ReadSerialData() {
    IdentificationBlock block;
    if (!Request(cmd::IdentSerialData, block, u"Failed to send the serial data!",
                 u"Failed to read the serial data!")) {
        return false;
    }
    if (block.Words() == 0) {  // not even the date
        LogTranslated(u"Invalid serial date");
        return false;
    }
    const uint16_t date = block.Word(0);
    SetText(kSerialDate, Format(kSerialDateFormat, date / kSerialDateSplit, date % kSerialDateSplit));
    SetText(kSerialNumber, Format(kSerialNumberFormat, block.Word(1)));
    return true;
}

bool ReadPpsNumber() {
    SetText(kPpsNumber, u"0");
    IdentificationBlock block;
    if (!Request(cmd::IdentPpsNumber, block, u"Failed to send the PPS number!",
                 u"Failed to read the PPS number!")) {
        return false;
    }
    if (block.Words() != kPpsWords) return true;  // any other shape keeps "0"
    const uint16_t letter = block.Word(4);
    SetText(kPpsNumber, Format(u"%03u-%02u-%03u-%02u-%c", block.Word(0) % kPpsLongFieldModulus,
                               block.Word(1) % kPpsShortFieldModulus, block.Word(2) % kPpsLongFieldModulus,
                               block.Word(3) % kPpsShortFieldModulus,
                               IsAsciiLetter(letter) ? Char(letter) : kNoPpsLetter));
    return true;
}

bool ReadBoardNumber() {
    SetText(kBoardNumber, u"0");
    IdentificationBlock block;
    if (!Request(cmd::IdentBoardNumber, block, u"Failed to send the board number!",
                 u"Failed to read the board number!")) {
        return false;
    }
    if (block.Words() != kBoardWords) return true;  // any other shape keeps "0"
    const uint32_t serial = (static_cast<uint32_t>(block.Word(3)) << 16) | block.Word(2);
    SetText(kBoardNumber, Format(u"%02u %02u-%06lu", block.Word(0) % kBoardFirstModulus,
                                 block.Word(1) % kBoardSecondModulus, serial));
    return true;
}

}  // namespace

}  // namespace vek

extern "C" VEK_API int32_t VEK_CALL VekReadIdentification(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        LogMessage(u"Reading identification...");
        SetText(kSerialDate, u"");
        SetText(kSerialNumber, u"");
        SetText(kPpsNumber, u"");
        SetText(kBoardNumber, u"");

        if (!HasFeature(features::Identification)) {
            SetText(kSerialDate, Format(kSerialDateFormat, 0u, 0u));
            SetText(kSerialNumber, Format(kSerialNumberFormat, 0u));
            return 1;
        }

        CommLock lock;
        if (!ReadSerialData() || !ReadPpsNumber() || !ReadBoardNumber()) return 0;
        LogMessage(u"Identification done");
        return 1;
    });
}
