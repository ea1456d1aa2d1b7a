#include "values/TimedList.hpp"

#include "VekLib.h"
#include "pardef/ParDefStore.hpp"

#include <algorithm>

namespace vek {

TimedListState& TimedLists() {
    static TimedListState state;
    return state;
}

bool IsTimedList(uint8_t list) { return list < kTimedListCount; }

Frame TimedListConfiguration(uint8_t list, uint32_t timerId, const TimedListEntry& entry, bool longNumbers) {
    Frame block;
    block.Word(static_cast<uint16_t>(list + 1));
    const auto number = [&](uint32_t id) {
        if (longNumbers) {
            block.Long(id);
        } else {
            block.Word(static_cast<uint16_t>(id));
        }
    };
    number(timerId);
    const uint32_t count = std::min<uint32_t>(entry.count, kTimedListMaxItems);
    for (uint32_t i = 0; i < count; ++i) number(entry.ids[i]);
    return block;
}

uint32_t ExtendStamp(uint16_t stamp) {
    TimedListState& state = TimedLists();
    if (state.lastStamp > stamp) ++state.stampWraps;
    state.lastStamp = stamp;
    return (static_cast<uint32_t>(state.stampWraps) << 16) | stamp;
}

void ApplySample(const TimedListEntry& entry, const uint8_t* sample, std::size_t sampleWords, double* values) {
    // Word 0 is the stamp; word i is item i - 1.
    const std::size_t carried = sampleWords > 0 ? sampleWords - 1 : 0;
    const std::size_t items = std::min<std::size_t>(carried, entry.count);
    for (std::size_t i = items; i >= 1; --i) {
        const uint32_t id = entry.ids[i - 1];
        ParDef* def = FindParDef(id);
        if (!def) continue;  // a number without a definition has nowhere to go
        const uint16_t raw = GetWord(sample + 2 * i);
        StoreRawValue(*def, raw);
        // A failed conversion logs its reason and leaves the element as it was.
        if (values) VekConvertToRealValue(id, raw, &values[i - 1]);
    }
}

}  // namespace vek
