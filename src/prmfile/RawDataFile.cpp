// The raw data listing: every definition but the measurements with its name,
// its value text (when asked for), its raw value in hexadecimal and its unit,
// all from memory. For inspection; it is not meant to be read back.
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "pardef/Kinds.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"
#include "platform/Platform.hpp"
#include "prmfile/FileValueText.hpp"
#include "prmfile/TextSink.hpp"
#include "values/Arguments.hpp"

#include <cstdint>

extern "C" {

VEK_API int32_t VEK_CALL VekDownloadRawPrmFile(const VekChar* path, int32_t withValues) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        if (!ArgumentsGiven(u"VekDownloadRawPrmFile", path)) return 0;
        FileSink out(FromApi(path));
        if (!out.Open()) return 0;
        out.Write("# Brenvik raw data\n");
        for (uint32_t id : ParDefs().index) {
            if (IsKind(id, ParKind::Measurement)) continue;
            const ParDef& def = *FindParDef(id);
            const uint16_t raw = def.RawValue;
            const Text value = withValues ? FileValueText(id) : Text(u"-");
            out.Write(Format(u"%6u %-20s = %7s %04X %-7s\n", id, NameOf(def), value, raw, UnitOf(def)));
        }
        return out.Commit() ? 1 : 0;
    });
}

}  // extern "C"
