// VekReadAllParDef: asks the governor for its definitions block by block,
// decodes the whole records of each block, then expands the arrays, computes
// the real limits and sorts the index.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "pardef/ArrayExpansion.hpp"
#include "pardef/DefinitionRecord.hpp"
#include "pardef/ParDefStore.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vek {

namespace {

// The governor decides how many records a block carries, up to this size;
// a block that announces more fails the read with a line of its own.
constexpr std::size_t kBlockBufferSize = 2048;
constexpr uint32_t kPerMille = 1000;
constexpr uint16_t kValidatingProgress = 500;

constexpr const Char* kDownloadingText = u"Downloading parameters definition";

// A governor that sends blocks it has sent already, or endless new ones,
// must not keep the download (and the lock) for ever. More bytes than
// announced are taken, up to the announced total again or a whole block
// buffer, whichever is more; no governor has more definitions than this.
constexpr uint32_t kMaxDefinitions = 131072;

uint32_t ExpectedTotalBytes() {
    const uint32_t total = ChecksumBlockLong(checksum_block::ParDefTotalBytesLong);
    return total ? total : ChecksumBlockWord(checksum_block::ParDefTotalBytes);
}

bool HasProgressCallback() { return Core().callbacks.progress != nullptr; }

// Per mille of the expected bytes, at most 1000; 0 while nothing is expected.
uint16_t ProgressPerMille(uint32_t received, uint32_t expected) {
    if (expected == 0) return 0;
    const uint64_t perMille = static_cast<uint64_t>(received) * kPerMille / expected;
    return static_cast<uint16_t>(std::min<uint64_t>(perMille, kPerMille));
}

void ReportStage(const Char* text, uint16_t value) {
    if (HasProgressCallback()) ReportProgress(value, text);
}

void ReportReceived(uint32_t received, uint32_t expected) {
    if (!HasProgressCallback()) return;
    const uint16_t progress = ProgressPerMille(received, expected);
    Translated downloading(kDownloadingText);
    ReportProgressText(Format(u"%s (%d%%)", downloading.c_str(), progress / 10).c_str(), progress);
}

uint64_t ReceivedBytesLimit(uint32_t expected) {
    return expected == 0 ? UINT64_MAX : uint64_t{expected} + std::max<uint64_t>(expected, kBlockBufferSize);
}

// Whether every record of the block has a number the store holds already:
// a block sent again, which is refused before it raises an error per record.
bool RepeatsKnownNumbers(const uint8_t* block, std::size_t records, const RecordLayout& layout) {
    for (std::size_t i = 0; i < records; ++i) {
        if (!FindParDef(RecordNumber(block + i * layout.size(), layout))) return false;
    }
    return true;
}

// Whether the download may take the block of `records` records that brought
// the total to received; logs why not.
bool WithinBounds(const uint8_t* block, std::size_t records, const RecordLayout& layout, uint32_t expected,
                  uint32_t received) {
    if (received > ReceivedBytesLimit(expected)) {
        LogTranslated(u"The governor sent %u bytes of parameter definitions, far more than the %u it announced",
                      received, expected);
        return false;
    }
    if (RepeatsKnownNumbers(block, records, layout)) {
        LogTranslated(u"The governor sent a block of parameter definitions it had sent already");
        return false;
    }
    if (ParDefs().index.size() + records > kMaxDefinitions) {
        LogTranslated(u"The governor sent more than %u parameter definitions", kMaxDefinitions);
        return false;
    }
    return true;
}

// Requests and decodes blocks until one holds no whole record.
bool ReceiveDefinitions(const RecordLayout& layout, uint32_t expected, uint32_t& received) {
    const std::size_t recordSize = layout.size();
    uint8_t block[kBlockBufferSize];
    for (;;) {
        CallIdle();
        if (!SendByte(cmd::ReadParDefs)) return false;
        std::memset(block, 0, sizeof block);
        uint16_t length = 0;
        if (!ReadBlock(block, sizeof block, &length)) return false;
        received += length;
        ReportReceived(received, expected);
        const std::size_t records = length / recordSize;
        if (records == 0) return true;
        if (!WithinBounds(block, records, layout, expected, received)) return false;
        for (std::size_t i = 0; i < records; ++i) {
            if (!DecodeRecord(block + i * recordSize, layout)) return false;
        }
    }
}

}  // namespace

}  // namespace vek

extern "C" VEK_API int32_t VEK_CALL VekReadAllParDef(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        LogMessage(u"Reading all parameter definitions...");
        CommLock lock;
        ClearParDefs();

        const RecordLayout layout = AnnouncedRecordLayout();
        const uint32_t expected = ExpectedTotalBytes();
        uint32_t received = 0;
        LogMessage(u"Total expected par def bytes = %d", expected);
        ReportStage(kDownloadingText, 0);
        if (!ReceiveDefinitions(layout, expected, received)) return 0;
        LogMessage(u"Total received par def bytes = %d", received);

        ReportStage(u"Building parameter lists...", 0);
        LogMessage(u"Building the par def list...");
        ExpandParDefArrays();

        ReportStage(u"Validating parameter lists...", kValidatingProgress);
        LogMessage(u"Validating the par def list...");
        SortParDefIndex();
        ReportStage(u"Parameter lists validated!", 0);
        return 1;
    });
}
