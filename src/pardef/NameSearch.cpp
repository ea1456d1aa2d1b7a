// Finding a definition by its name, within kinds of numbers, or by the
// similarity of its name.
#include "VekLib.h"
#include "core/ExportGuard.hpp"
#include "pardef/Kinds.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"
#include "pardef/Similarity.hpp"

namespace vek {

namespace {

constexpr double kPercent = 100.0;

}  // namespace

}  // namespace vek

extern "C" {

VEK_API ParDef* VEK_CALL VekFindParDefByName(const VekChar* name, uint32_t kindMask) {
    return vek::Guarded<ParDef*>(__func__, nullptr, [&]() -> ParDef* {
        using namespace vek;
        if (!name) return nullptr;
        // Names are compared over at most the characters a definition can hold.
        const TextView wanted(FromApi(name), TextLength(FromApi(name), kMaxNameLength));
        const uint8_t mask = static_cast<uint8_t>(kindMask);
        for (ParDef& def : ParDefs().records) {
            if (PassesKindMask(def.Id, mask) && EqualsIgnoringAsciiCase(NameOf(def), wanted)) return &def;
        }
        return nullptr;
    });
}

VEK_API ParDef* VEK_CALL VekFindParDefBySimilarity(const VekChar* name, uint32_t start, uint16_t percent) {
    return vek::Guarded<ParDef*>(__func__, nullptr, [&]() -> ParDef* {
        using namespace vek;
        const double threshold = percent / kPercent;
        const TextView wanted = name ? TextView(FromApi(name)) : TextView();
        const std::vector<uint32_t>& index = ParDefs().index;
        for (std::size_t position = start; position < index.size(); ++position) {
            ParDef* def = FindParDef(index[position]);
            if (StrSimilarity(NameOf(*def), wanted) >= threshold) return def;
        }
        return nullptr;
    });
}

}  // extern "C"
