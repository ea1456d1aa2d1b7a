#include "values/RawValues.hpp"

#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "pardef/ParDefStore.hpp"

namespace vek {

namespace {

constexpr std::size_t kReadReplySize = 4;  // value word, checksum word
constexpr std::size_t kValueSize = 2;

// The governor's way of saying that a number does not exist: the value 1
// with the checksum 2 (the true sum of the bytes 01 00 would be 1).
constexpr uint16_t kNotDefinedValue = 1;
constexpr uint16_t kNotDefinedChecksum = 2;

// The command byte and the number, in the width the governor announced.
Frame NumberFrame(uint8_t command, uint32_t id) {
    Frame frame;
    frame.Byte(command);
    if (UsesLongParameterNumbers()) {
        frame.Long(id);
    } else {
        frame.Word(static_cast<uint16_t>(id));
    }
    return frame;
}

}  // namespace

bool ReadRawValue(uint32_t id) {
    LogMessage(u"Reading raw value...");
    CallIdle();
    // Taken before the frame is built: its number width comes from the device
    // record, which a connection on another thread rewrites.
    CommLock lock;
    const Frame request = NumberFrame(cmd::ReadRawValue, id);
    // Set under the lock: another thread's exchange may be writing it now.
    Core().lastStatus = raw_read_status::NoReply;
    uint8_t reply[kReadReplySize];
    if (!SendFrame(request) || !ReadBytes(reply, sizeof reply)) return false;

    const uint16_t value = GetWord(reply);
    const uint16_t received = GetWord(reply + kValueSize);
    const uint16_t sum = BlockChecksum(static_cast<int>(ChecksumMode::Sum), reply, kValueSize);
    if (ChecksumMatches(sum, received)) {
        StoreRawValue(*AddParDef(id), value);
        Core().lastStatus = raw_read_status::Ok;
        return true;
    }
    if (value == kNotDefinedValue && received == kNotDefinedChecksum) {
        Core().lastStatus = raw_read_status::NotDefined;
        LogTranslated(u"Failed to read parameter %u (it probably does not exists)", id);
    } else {
        Core().lastStatus = raw_read_status::ChecksumWrong;
        LogTranslated(u"Checksum error on reading of parameter %u: expected %04X, received 0x%04X (mode %d, size %d)",
                      id, sum, received, static_cast<int>(ChecksumMode::Sum), static_cast<int>(kValueSize));
    }
    return false;
}

bool WriteRawValue(uint32_t id, uint16_t value) {
    CallIdle();
    CommLock lock;
    Frame request = NumberFrame(cmd::WriteRawValue, id);
    request.Word(value);
    request.Word(request.SumFrom(1));  // number and value, without the command byte
    if (!SendFrame(request)) return false;
    Translated failure(u"VekWriteRawValue failure: governor returned an error code");
    if (!ExpectStatus(kStatusMask, 0, failure)) return false;
    StoreRawValue(*AddParDef(id), value);
    return true;
}

bool DirectSetEnabled() { return Core().directSetFlag != 0; }

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekReadRawValue(uint32_t id) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        return vek::ReadRawValue(id) ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekWriteRawValue(uint32_t id, uint16_t value) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        return vek::WriteRawValue(id, value) ? 1 : 0;
    });
}

VEK_API void VEK_CALL VekDirectSet(uint8_t flag) {
    vek::Guarded(__func__, [&] {
        vek::Core().directSetFlag = flag;
    });
}

}  // extern "C"
