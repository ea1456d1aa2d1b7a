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
#include <cstring>

namespace vek {

namespace {

// The governor decides how many records a block carries, up to this size;
// a block that announces more fails the read with a line of its own.
constexpr std::size_t kBlockBufferSize = 2048;
constexpr uint32_t kPerMille = 1000;
constexpr uint16_t kValidatingProgress = 500;

constexpr const Char* kDownloadingText = u"Downloading parameters definition";

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
