// Configuring and sampling timed lists on the governor.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "pardef/Kinds.hpp"
#include "transport/Stream.hpp"
#include "values/TimedList.hpp"

#include <algorithm>
#include <optional>

namespace vek {

namespace {

constexpr const Char* kTimerName = u"Timer";
// A sample must at least carry the whole stamp word.
constexpr uint16_t kStampBytes = 2;

bool SendConfiguration(uint8_t list, uint32_t timerId) {
    const Frame block =
        TimedListConfiguration(list, timerId, TimedLists().lists[list], UsesLongParameterNumbers());
    return SendByte(cmd::ConfigureTimedList) && SendBlock(block.data(), block.size());
}

}  // namespace

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekSetTimedList(uint8_t list, uint32_t count, const uint32_t* ids) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CallIdle();
        // Held from the search on: raw reads and writes of other threads add definitions.
        CommLock lock;
        if (VekInBootstrapMode() || !IsTimedList(list)) return 0;
        // Every configuration starts with the timer: without it the governor
        // would be reset and left without a list, so nothing is sent.
        const ParDef* timer = VekFindParDefByName(ToApi(kTimerName), kind_mask::All);
        if (!timer) {
            LogTranslated(u"Cannot configure timed list %u: no parameter named \"Timer\"", list);
            return 0;
        }
        const uint32_t timerId = timer->Id;

        if (!SendByte(cmd::ResetTimedList) ||
            !ExpectStatus(cmd::TimedListStatusMask, 0,
                          Translated(u"Failed to reset the timed list configuration"))) {
            return 0;
        }
        if (count > kTimedListMaxItems) {
            LogTranslated(u"Timed list is to big (max=%d items)", static_cast<int>(kTimedListMaxItems));
            return 0;
        }
        if (count > 0 && ids) {
            TimedListEntry& entry = TimedLists().lists[list];
            entry.count = count;
            std::copy(ids, ids + count, entry.ids);
        }
        if (!SendConfiguration(list, timerId)) return 0;
        if (!ExpectStatus(kStatusMask, 0, Translated(u"Failed to configure timed list"))) return 0;
        if (!SendByte(cmd::StartTimedList) ||
            !ExpectStatus(cmd::TimedListStatusMask, 0, Translated(u"Failed to start the timed list"))) {
            return 0;
        }
        return 1;
    });
}

VEK_API void VEK_CALL VekGetTimedList(uint8_t list, uint32_t* count, uint32_t** ids) {
    vek::Guarded(__func__, [&] {
        using namespace vek;
        if (!IsTimedList(list)) {
            if (count) *count = 0;
            return;
        }
        TimedListEntry& entry = TimedLists().lists[list];
        if (count) *count = entry.count;
        if (ids) *ids = entry.ids;
    });
}

VEK_API int32_t VEK_CALL VekReadTimedList(uint8_t list, uint32_t* stamp, double* values) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        LogMessage(u"Reading timed list...");
        if (!IsTimedList(list)) return 0;

        CallIdle();
        CommLock lock;
        // A sample is awaited for the ordinary reply time whatever was set
        // before. After a connection that is the time-out already, and a sample
        // loop saves the port two calls per sample.
        std::optional<TimeoutScope> timeout;
        if (StreamGetTimeout() != Stream().ResponseTimeout) timeout.emplace(Stream().ResponseTimeout);
        // The whole block is read, however long, so that the line stays in step;
        // only the items the list has are taken from it.
        auto& sample = TimedLists().receiveBuffer;
        uint16_t length = 0;
        if (!SendByte(static_cast<uint8_t>(cmd::ReadTimedList + list)) ||
            !ReadBlock(sample.data(), sample.size(), &length) || length == 0) {
            return 0;
        }
        if (length < kStampBytes) {
            LogTranslated(u"Timed list sample of %u bytes carries no stamp", length);
            return 0;
        }
        // An odd last byte belongs to no word and is ignored.
        ApplySample(TimedLists().lists[list], sample.data(), length / 2u, values);
        const uint32_t extended = ExtendStamp(GetWord(sample.data()));
        if (stamp) *stamp = extended;
        return 1;
    });
}

}  // extern "C"
