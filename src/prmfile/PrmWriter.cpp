// Saving the governor's parameter set as a parameter file, to a file or into
// a caller's buffer: a header naming the file and the time, the three
// version sections, then one value line per definition.
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"
#include "platform/Platform.hpp"
#include "prmfile/FileValueText.hpp"
#include "prmfile/TextSink.hpp"
#include "values/Arguments.hpp"
#include "values/BulkTransfer.hpp"

#include <cstdint>

namespace vek {

namespace {

// The name shown in the header of text written into a buffer.
constexpr const Char* kBufferFileName = u"tmpfile";
// A software version above this is written with ten digits.
constexpr uint32_t kLargestShortVersion = 65535;

void WriteHeader(TextSink& out, const Text& fullPath) {
    const platform::DateTime now = platform::UtcNow();
    out.Write("#\n");
    out.Write(Format(u"# %ls  ", fullPath));
    out.Write(Format(u" %ls  ", platform::LongDate(now)));
    out.Write(Format(u"%ls\n", platform::Time24(now)));
    out.Write("#\n");
}

void WriteVersions(TextSink& out, const VekStruct& device) {
    const uint32_t hardware = device.HardwareVersion;
    const uint32_t software = device.SoftwareVersion;
    const uint32_t user = device.UserVersion;
    out.Write("\n# Internal hardware version - do not change, please\n[HW]\n");
    out.Write(Format(u"%u\n", hardware));
    out.Write("\n# Internal software version - do not change, please\n[SW]\n");
    out.Write(Format(software > kLargestShortVersion ? u"%.10u\n" : u"%u\n", software));
    out.Write("\n# Internal user software version - do not change, please\n[UW]\n");
    out.Write(Format(u"%u\n", user));
}

void WriteValues(TextSink& out) {
    out.Write("\n# Parameter values - free for changing\n[Werte]\n");
    for (uint32_t id : ParDefs().index) {
        if (id == 0) continue;
        const ParDef& def = *FindParDef(id);
        out.Write(Format(u"%6u %-20ls = %7ls %-7ls\n", id, NameOf(def), FileValueText(id), UnitOf(def)));
    }
    out.Write("\n");
}

// Reads every value from the governor and writes the parameter text; name
// is the file name that the header shows in full. Nothing is written when
// the values cannot be read.
bool WritePrmText(TextSink& out, const Char* name) {
    CommLock lock;
    ReportStatus(u"Saving parameters");
    const Text fullPath = platform::FullPath(name);
    if (ReadAllValues() != read_result::Ok) {
        LogTranslated(u"Failed to read parameter values");
        return false;
    }
    WriteHeader(out, fullPath);
    WriteVersions(out, Device());
    WriteValues(out);
    return true;
}

}  // namespace

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekDownloadPrmFile(const VekChar* path) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        if (!ArgumentsGiven(u"VekDownloadPrmFile", path)) return 0;
        FileSink out(FromApi(path));
        return out.Open() && WritePrmText(out, FromApi(path)) && out.Commit() ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekDownloadPrmBuffer(char* buffer, int32_t* size) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        if (!ArgumentsGiven(u"VekDownloadPrmBuffer", buffer, size)) return 0;
        BufferSink out(buffer, *size > 0 ? static_cast<std::size_t>(*size) : 0);
        const bool written = WritePrmText(out, kBufferFileName);
        *size = static_cast<int32_t>(out.Length());
        return written ? 1 : 0;
    });
}

}  // extern "C"
