// Loading a parameter text into the governor: all or nothing. The text is
// applied to the RawValues in memory first; only when every line was
// accepted do the values go to the governor, in one bulk write. A text that
// fails puts every RawValue back as it was and sends nothing.
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "pardef/ParDefStore.hpp"
#include "platform/Platform.hpp"
#include "prmfile/LineReader.hpp"
#include "prmfile/Sections.hpp"
#include "prmfile/ValueApplier.hpp"
#include "values/Arguments.hpp"
#include "values/BulkTransfer.hpp"

#include <string>

namespace vek {

namespace {

// Applies the whole text to the RawValues: sections, versions, value lines.
bool ApplyText(ByteSource& source, const UploadOptions& options) {
    LogMessage(u"Uploading parameters...");
    ReportStatus(u"Uploading parameters...");

    DataLineReader lines(source);
    FileVersions versions;
    if (!ReadSections(lines, versions)) return false;
    if (!VersionsAccepted(versions, options.tolerant)) return false;

    ValueApplier applier(options);
    std::string line;
    while (lines.Next(line)) {
        if (!applier.Apply(line, lines.LineNumber())) return false;
    }
    return true;
}

// Sends the values of an accepted text, or puts the old ones back. A failed
// bulk write keeps the parsed values: part of them may be in the governor.
int32_t Conclude(bool applied) {
    if (!applied) {
        RestoreParDefs();
        return 0;
    }
    return WriteAllValues() ? 1 : 0;
}

int32_t UploadFile(const Char* path, const UploadOptions& options) {
    FileSource source(platform::OpenFile(path, "rb"));
    if (!source.IsOpen()) {
        LogTranslated(u"Failed to open file %s for reading", path);
        return 0;
    }
    BackupParDefs();
    const bool applied = ApplyText(source, options);
    source.Close();
    return Conclude(applied);
}

int32_t UploadBuffer(const char* data, uint32_t size, const UploadOptions& options) {
    BufferSource source(data, size);
    BackupParDefs();
    return Conclude(ApplyText(source, options));
}

UploadOptions OptionsOf(int32_t includeMeasurements, int32_t tolerant) {
    return UploadOptions{includeMeasurements != 0, tolerant != 0};
}

}  // namespace

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekUploadPrmFile(const VekChar* path, int32_t tolerant) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        return VekUploadPrmFileExt(path, 0, tolerant);
    });
}

VEK_API int32_t VEK_CALL VekUploadPrmFileExt(const VekChar* path, int32_t includeMeasurements, int32_t tolerant) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (!vek::ArgumentsGiven(u"VekUploadPrmFileExt", path)) return 0;
        vek::CommLock lock;
        return vek::UploadFile(vek::FromApi(path), vek::OptionsOf(includeMeasurements, tolerant));
    });
}

VEK_API int32_t VEK_CALL VekUploadPrmBuffer(const char* data, uint32_t size, int32_t tolerant) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        return VekUploadPrmBufferExt(data, size, 0, tolerant);
    });
}

VEK_API int32_t VEK_CALL VekUploadPrmBufferExt(const char* data, uint32_t size, int32_t includeMeasurements,
                                               int32_t tolerant) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        // An empty text needs no bytes; any other needs them.
        if (size > 0 && !vek::ArgumentsGiven(u"VekUploadPrmBufferExt", data)) return 0;
        vek::CommLock lock;
        return vek::UploadBuffer(data, size, vek::OptionsOf(includeMeasurements, tolerant));
    });
}

}  // extern "C"
