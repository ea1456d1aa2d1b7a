#include "pardef/ArrayExpansion.hpp"

#include "core/CommLock.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"

#include <algorithm>

namespace vek {

namespace {

// Appends "(position)" to the name; a name too long for both is cut before
// the suffix, so that the suffix always stays whole.
void AppendElementSuffix(ParDef& def, unsigned position) {
    const Text suffix = Format(u"(%u)", position);
    Text name(NameOf(def));
    name.resize(std::min(name.size(), kMaxNameLength - suffix.size()));
    CopyText(FromApi(def.Name), kNameCapacity, name + suffix);
}

void ExpandArray(ParDef& first) {
    const ParDef copy = first;
    const unsigned count = copy.ArrayIndex;  // still the received count
    AppendElementSuffix(first, 0);
    first.ArrayIndex = 0;
    for (unsigned position = 1; position <= count; ++position) {
        ParDef* element = AddNewParDef(copy.Id + position);
        if (!element) continue;  // reported; that element is left out
        *element = copy;
        element->Id = copy.Id + position;
        element->ArrayIndex = static_cast<uint8_t>(position);
        AppendElementSuffix(*element, position);
    }
}

}  // namespace

void ExpandParDefArrays() {
    CommLock lock;
    // The deque only grows at its end and never moves a record, so walking
    // the records that existed before the expansion is the snapshot: the
    // elements created on the way are not visited.
    std::deque<ParDef>& records = ParDefs().records;
    const std::size_t received = records.size();
    for (std::size_t i = 0; i < received; ++i) {
        ParDef& def = records[i];
        if (def.IntCode != 0 && def.ArrayIndex != 0) ExpandArray(def);
    }
    ComputeRealLimits();
}

}  // namespace vek
