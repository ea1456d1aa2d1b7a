#include "values/BulkTransfer.hpp"

#include "VekLib.h"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "pardef/ParDefStore.hpp"
#include "transport/Stream.hpp"
#include "values/RawValues.hpp"

#include <algorithm>

namespace vek {

namespace {

constexpr std::size_t kValueSize = 2;
// The progress text is cut to this many characters with its terminator.
constexpr std::size_t kProgressTextCapacity = 259;

struct ValueGroup {
    ParKind kind;
    uint8_t readCommand;
    uint8_t writeCommand;  // unused for measurements, which are never written
    const Char* readLogLine;
    const Char* downloadText;
    const Char* uploadText;
};

constexpr ValueGroup kParameters = {ParKind::Parameter, cmd::ReadParameterValues, cmd::WriteParameterValues,
                                    u"Reading parameter values...", u"Downloading parameters values...",
                                    u"Uploading parameters values..."};
constexpr ValueGroup kMeasurements = {ParKind::Measurement, cmd::ReadMeasurementValues, 0,
                                      u"Reading measurement values...", u"Downloading measures values...", nullptr};
constexpr ValueGroup kFunctions = {ParKind::Function, cmd::ReadFunctionValues, cmd::WriteFunctionValues,
                                   u"Reading function values...", u"Downloading functions values...",
                                   u"Uploading functions values..."};
constexpr ValueGroup kCurves = {ParKind::Curve, cmd::ReadCurveValues, cmd::WriteCurveValues,
                                u"Reading curve values...", u"Downloading curves values...",
                                u"Uploading curves values..."};

void ReportLoaded(const Char* statusText, int loaded) {
    Char text[kProgressTextCapacity];
    Format(text, kProgressTextCapacity, u"%s (%d parameters loaded)", statusText, loaded);
    ReportProgressText(text, 0);
}

int ReadGroup(const ValueGroup& group) {
    LogMessage(group.readLogLine);
    Translated statusText(group.downloadText);
    ReportStatusText(statusText.c_str());
    return VekReadAbstractValues(group.readCommand, group.kind, statusText.c_str());
}

bool WriteGroup(const ValueGroup& group) {
    ReportStatusText(Translated(group.uploadText).c_str());
    return VekWriteAbstractValues(group.writeCommand, group.kind);
}

bool BlockSizeUsable(uint16_t blockSize) {
    if (blockSize >= kMinTransferBlockSize && blockSize <= kMaxTransferBlockSize) return true;
    LogTranslated(u"Cannot write values in blocks of %u bytes (%u to %u bytes allowed)", blockSize,
                  kMinTransferBlockSize, kMaxTransferBlockSize);
    return false;
}

}  // namespace

IdCursor::IdCursor(ParKind kind) : ids_(DefinedIdsOfKind(kind)) {
    // The walk ends at the number at the end of the index, which is the
    // highest one while the index is sorted.
    const uint32_t last = LastParDefId();
    ids_.erase(std::upper_bound(ids_.begin(), ids_.end(), last), ids_.end());
}

bool NextDefinedId(const IdCursor& cursor) { return cursor.position_ < cursor.ids_.size(); }

int VekReadAbstractValues(uint8_t command, ParKind kind, const Char* statusText) {
    CommLock lock;
    IdCursor cursor(kind);
    int loaded = 0;
    uint8_t block[kReadBufferValues * kValueSize];
    for (;;) {
        ReportLoaded(statusText, loaded);
        if (!SendByte(command)) return read_result::SendFailed;
        uint16_t length = 0;
        if (!ReadBlock(block, sizeof block, &length)) return read_result::BlockFailed;
        const std::size_t count = length / kValueSize;
        loaded += static_cast<int>(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (!NextDefinedId(cursor)) {
                LogTranslated(u"VekReadAbstractValues: failed to retrieve next id");
                return read_result::TooManyValues;
            }
            StoreRawValue(*FindParDef(cursor.Number()), GetWord(block + i * kValueSize));
            cursor.MoveOn();
        }
        if (count == 0) return read_result::Ok;  // an empty block ends the transfer
    }
}

bool VekWriteAbstractValues(uint8_t command, ParKind kind) {
    if (!DirectSetEnabled()) return true;
    const uint16_t blockSize = Core().transferBlockSize;
    if (!BlockSizeUsable(blockSize)) return false;
    const std::size_t maxValues = (blockSize - kWriteBlockOverhead) / kValueSize;

    CommLock lock;
    TimeoutScope timeout(Stream().LongTimeout);
    IdCursor cursor(kind);
    uint8_t block[kWriteBufferValues * kValueSize];
    while (NextDefinedId(cursor)) {
        std::size_t count = 0;
        for (; count < maxValues && NextDefinedId(cursor); ++count, cursor.MoveOn()) {
            PutWord(block + count * kValueSize, FindParDef(cursor.Number())->RawValue);
        }
        Translated failure(u"Failed to send block of values");
        if (!SendCommandBlock(command, block, count * kValueSize) || !ExpectStatus(kStatusMask, 0, failure)) {
            return false;
        }
    }
    return true;
}

int ReadAllValues() {
    int result = ReadGroup(kParameters);
    result |= ReadGroup(kMeasurements);
    result |= ReadGroup(kFunctions);
    result |= ReadGroup(kCurves);
    ReportStatusText(Translated(result != read_result::Ok ? u"Values download failed" : u"Done").c_str());
    return result;
}

bool WriteAllValues() {
    const bool written = WriteGroup(kParameters) && WriteGroup(kFunctions) && WriteGroup(kCurves);
    ReportStatusText(Translated(written ? u"Done" : u"Values upload failed").c_str());
    return written;
}

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekReadParameterValues(void) {
    return vek::Guarded<int32_t>(__func__, vek::read_result::BlockFailed, [&]() -> int32_t {
        vek::CommLock lock;
        return vek::ReadGroup(vek::kParameters);
    });
}
VEK_API int32_t VEK_CALL VekReadMeasurementValues(void) {
    return vek::Guarded<int32_t>(__func__, vek::read_result::BlockFailed, [&]() -> int32_t {
        vek::CommLock lock;
        return vek::ReadGroup(vek::kMeasurements);
    });
}
VEK_API int32_t VEK_CALL VekReadFunctionValues(void) {
    return vek::Guarded<int32_t>(__func__, vek::read_result::BlockFailed, [&]() -> int32_t {
        vek::CommLock lock;
        return vek::ReadGroup(vek::kFunctions);
    });
}
VEK_API int32_t VEK_CALL VekReadCurveValues(void) {
    return vek::Guarded<int32_t>(__func__, vek::read_result::BlockFailed, [&]() -> int32_t {
        vek::CommLock lock;
        return vek::ReadGroup(vek::kCurves);
    });
}
VEK_API int32_t VEK_CALL VekReadAllValues(void) {
    return vek::Guarded<int32_t>(__func__, vek::read_result::BlockFailed, [&]() -> int32_t {
        vek::CommLock lock;
        return vek::ReadAllValues();
    });
}
VEK_API int32_t VEK_CALL VekWriteAllValues(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        vek::CommLock lock;
        return vek::WriteAllValues() ? 1 : 0;
    });
}

}  // extern "C"
