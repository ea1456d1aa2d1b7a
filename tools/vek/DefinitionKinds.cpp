#include "DefinitionKinds.hpp"

#include <iterator>

namespace vektool {

namespace {

constexpr uint32_t kKindPage = 10000;

constexpr DefinitionKind kKinds[] = {
    {"parameters", 0, 1999, 0x01, VekReadParameterValues},
    {"measurements", 2000, 3999, 0x04, VekReadMeasurementValues},
    {"functions", 4000, 5999, 0x02, VekReadFunctionValues},
    {"curves", 6000, 9999, 0x08, VekReadCurveValues},
};
constexpr const DefinitionKind& kMeasurements = kKinds[1];

}  // namespace

std::vector<std::string> KindNames() {
    std::vector<std::string> names;
    for (const DefinitionKind& kind : kKinds) names.push_back(kind.name);
    return names;
}

const DefinitionKind* KindNamed(const std::string& name) {
    for (const DefinitionKind& kind : kKinds) {
        if (name == kind.name) return &kind;
    }
    return nullptr;
}

bool OfKind(uint32_t id, const DefinitionKind* kind) {
    const uint32_t remainder = id % kKindPage;
    return !kind || (remainder >= kind->first && remainder <= kind->last);
}

bool IsMeasurement(uint32_t id) { return OfKind(id, &kMeasurements); }

const DefinitionKind& KindOf(uint32_t id) {
    for (const DefinitionKind& kind : kKinds) {
        if (OfKind(id, &kind)) return kind;
    }
    return kKinds[0];  // unreachable: the kinds cover every remainder
}

}  // namespace vektool
