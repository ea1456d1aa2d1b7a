#include "values/Conversion.hpp"

#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"
#include "values/Arguments.hpp"
#include "values/RawValues.hpp"

namespace vek {

namespace {

// The range fetches in progress on this thread: a chain of range parameters
// that leads back to itself nests on the thread that follows it, while
// conversions on other threads have chains of their own.
thread_local int rangeFetchDepth = 0;

// Counts one range fetch for its length.
class RangeFetchScope {
public:
    RangeFetchScope() { ++rangeFetchDepth; }
    ~RangeFetchScope() { --rangeFetchDepth; }
    RangeFetchScope(const RangeFetchScope&) = delete;
    RangeFetchScope& operator=(const RangeFetchScope&) = delete;
    bool TooDeep() const { return rangeFetchDepth > kMaxRangeFetchDepth; }
};

// The range of def; false after logging why there is none.
bool ConversionRange(const ParDef& def, EffectiveRange& range) {
    if (def.IntCode < Device().IntCodeCount) {
        range = RegisteredRange(def);
        return true;
    }
    if (def.IntCode != kRangeIntCode) {
        LogTranslated(u"VekConvertToRealValue: cannot find IntCode definition %u (registered number %u) for parameter %u %s",
                      def.IntCode, Device().IntCodeCount, def.Id, NameOf(def));
        return false;
    }
    const uint16_t lowId = static_cast<uint16_t>(RangeParameterId(def.RealMin));
    const uint16_t highId = static_cast<uint16_t>(RangeParameterId(def.RealMax));
    double low = 0;
    double high = 0;
    if (!RangeLimitValue(lowId, low)) {
        LogTranslated(u"VekConvertToRealValue: cannot read range minimal value [%d]", lowId);
        return false;
    }
    if (!RangeLimitValue(highId, high)) {
        LogTranslated(u"VekConvertToRealValue: cannot read range maximal value [%d]", highId);
        return false;
    }
    range = RangeBetween(def, low, high);
    return true;
}

}  // namespace

bool ConvertToRealValue(uint32_t id, uint16_t raw, double& real) {
    const ParDef* def = FindParDef(id);
    if (!def) {
        LogTranslated(u"Parameter %d does not exist", id);
        return false;
    }
    EffectiveRange range;
    if (!ConversionRange(*def, range)) return false;
    if (RawToReal(*def, range, raw, real)) return true;
    LogTranslated(u"VekConvertToRealValue: IntCode definition %u of parameter %u %s has an empty range", def->IntCode,
                  id, NameOf(*def));
    return false;
}

bool GetRealValue(uint32_t id, double& real) {
    const ParDef* def = FindParDef(id);
    if (!def) {
        LogMessage(u"VekGetRealValue: failed to call VekGetParDef(%d)", id);
        return false;
    }
    return ConvertToRealValue(id, def->RawValue, real);
}

bool RangeLimitValue(uint32_t id, double& real) {
    const ParDef* def = FindParDef(id);
    if (!def) return false;
    RangeFetchScope scope;
    if (scope.TooDeep()) {
        LogTranslated(u"Range parameter %u: range parameters nested more than %d levels deep", id,
                      kMaxRangeFetchDepth);
        return false;
    }
    // A 0 that nobody read or set stands for a value not yet read.
    if (!RawValueKnown(*def) && !ReadRawValue(id)) return false;
    return GetRealValue(id, real);
}

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekConvertToRealValue(uint32_t id, uint16_t raw, double* value) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (!vek::ArgumentsGiven(u"VekConvertToRealValue", value)) return 0;
        return vek::ConvertToRealValue(id, raw, *value) ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekGetRealValue(uint32_t id, double* value) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (!vek::ArgumentsGiven(u"VekGetRealValue", value)) return 0;
        return vek::GetRealValue(id, *value) ? 1 : 0;
    });
}

VEK_API int32_t VEK_CALL VekGetRealValues(uint32_t count, const uint32_t* ids, double* values) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        if (count == 0) return 1;
        if (!vek::ArgumentsGiven(u"VekGetRealValues", ids, values)) return 0;
        for (uint32_t i = 0; i < count; ++i) {
            const ParDef* def = vek::FindParDef(ids[i]);
            if (!def || !vek::ConvertToRealValue(ids[i], def->RawValue, values[i])) return 0;
        }
        return 1;
    });
}

}  // extern "C"
