// Parameter pages: whether the governor keeps more than one set of values,
// which one it works with, and switching to another. Both exchanges use the
// extended command's sub-command frame.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

#include <cstddef>
#include <initializer_list>

namespace vek {

namespace {

// The length word counts itself and the sub-command word.
constexpr uint16_t kSubCommandLengthBase = 4;
constexpr std::size_t kLengthWordAt = 1;

// The answer to the page read: length word, page, checksum of the first two.
constexpr std::size_t kPageAnswerBytes = 6;
constexpr std::size_t kPageAt = 2;
constexpr std::size_t kPageChecksumAt = 4;
constexpr std::size_t kPageSummedBytes = 4;

// Command byte, length word, sub-command, arguments, and the plain 16-bit
// sum of every byte from the length word to the last argument.
Frame SubCommandFrame(uint16_t subCommand, std::initializer_list<uint16_t> arguments) {
    Frame frame;
    frame.Byte(cmd::Extended).Word(static_cast<uint16_t>(kSubCommandLengthBase + 2 * arguments.size()));
    frame.Word(subCommand);
    for (uint16_t argument : arguments) frame.Word(argument);
    return frame.Word(frame.SumFrom(kLengthWordAt));
}

bool ReadActivePage(int32_t& page) {
    const Frame request = SubCommandFrame(cmd::ExtReadActivePage, {});
    CommLock lock;
    if (!SendFrame(request)) {
        LogTranslated(u"Unable to send the 'VekGetActiveParamPage' command.");
        return false;
    }
    uint8_t answer[kPageAnswerBytes];
    if (!ReadBytes(answer, sizeof answer)) {
        LogTranslated(u"Unable to read the 'VekGetActiveParamPage' response.");
        return false;
    }
    const uint16_t computed = BlockChecksum(static_cast<int>(ChecksumMode::Sum), answer, kPageSummedBytes);
    const uint16_t received = GetWord(answer + kPageChecksumAt);
    if (!ChecksumMatches(computed, received)) {
        LogTranslated(u"Checksum error: expected 0x%04X, received 0x%04X (mode %d, size %d)", computed, received,
                      static_cast<int>(ChecksumMode::Sum), kPageSummedBytes);
        return false;
    }
    page = GetWord(answer + kPageAt);
    return true;
}

// A first status other than 0 is followed by a second one: the verdict.
bool ActivatePage(uint16_t page) {
    const Frame request = SubCommandFrame(cmd::ExtActivatePage, {page});
    CommLock lock;
    if (!SendFrame(request)) {
        LogTranslated(u"Unable to send the 'VekActivateParamPage' command.");
        return false;
    }
    if (!ReadStatus()) {
        LogTranslated(u"Unable to read the 'VekActivateParamPage' response.");
        return false;
    }
    if (Core().lastStatus == 0) return true;
    Translated failure(u"Failed to activate the new parameters page");
    return ExpectStatus(kStatusMask, 0, failure);
}

}  // namespace

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekParamPagesFeatureAvailable(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        const uint16_t commandsInfo = CommandsInfo();
        const int32_t available = HasCommandsInfo(commands_info::ParameterPages) ? 1 : 0;
        LogTranslated(u"Commands information word  = 0x%04X.", commandsInfo);
        LogTranslated(u"Params pages feature (b14) = %01X.", available);
        return available;
    });
}

VEK_API int32_t VEK_CALL VekGetActiveParamPage(int32_t* page) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        LogMessage(u"Getting active parameters page...");
        if (!page) {
            LogTranslated(u"VekGetActiveParamPage: no place for the page");
            return 0;
        }
        return ReadActivePage(*page) ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekActivateParamPage(uint16_t page) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        return vek::ActivatePage(page) ? 1 : 0;
    });
}

}  // extern "C"
