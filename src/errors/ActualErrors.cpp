#include "errors/ActualErrors.hpp"

#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"
#include "pardef/ParDefStore.hpp"

namespace vek {

namespace {

constexpr std::size_t kMaxActualErrors = 512;
constexpr std::size_t kBasicEntryBytes = 3;
constexpr std::size_t kExtendedEntryBytes = 4;
constexpr std::size_t kStateOffset = 2;  // after the 16-bit number

uint16_t EntryState(const ActualErrorsVariant& variant, const uint8_t* entry) {
    return variant.extended ? GetWord(entry + kStateOffset) : entry[kStateOffset];
}

}  // namespace

PendingErrorsState& PendingErrors() {
    static PendingErrorsState state;
    return state;
}

const ActualErrorsVariant& BasicActualErrors() {
    static const ActualErrorsVariant variant{cmd::ReadActualErrors, kBasicEntryBytes,
                                             kMaxActualErrors * kBasicEntryBytes, false};
    return variant;
}

const ActualErrorsVariant& ExtendedActualErrors() {
    static const ActualErrorsVariant variant{cmd::ReadActualErrorsExt, kExtendedEntryBytes,
                                             kMaxActualErrors * kExtendedEntryBytes, true};
    return variant;
}

void ApplyActualErrors(const ActualErrorsVariant& variant, const uint8_t* data, std::size_t length) {
    std::vector<PendingError>& pending = PendingErrors().pending;
    pending.clear();
    const std::size_t entries = length / variant.entryBytes;
    for (std::size_t i = 0; i < entries; ++i) {
        const uint8_t* entry = data + i * variant.entryBytes;
        const uint32_t id = GetWord(entry);
        const uint16_t state = EntryState(variant, entry);
        ParDef* def = FindParDef(id);
        if (!def) continue;
        // The basic reply keeps the value the error had before this read;
        // the extended one records the new state.
        const uint16_t before = def->RawValue;
        StoreRawValue(*def, state);
        if (state != 0) pending.push_back({id, variant.extended ? state : before});
    }
}

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekReadActualErrors(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        LogMessage(u"Reading actual errors...");
        CommLock lock;
        CallIdle();
        const bool extended = HasCommandsInfo(commands_info::ExtendedActualErrors);
        const ActualErrorsVariant& variant = extended ? ExtendedActualErrors() : BasicActualErrors();
        if (!extended) CallIdle();

        // The whole block is read, whatever its length, so that the line stays in
        // step; one longer than the variant allows is then refused.
        std::vector<uint8_t> reply(kMaxBlockData);
        uint16_t length = 0;
        if (!SendByte(variant.command) || !ReadBlock(reply.data(), reply.size(), &length)) return 0;
        if (length > variant.replyCapacity) {
            LogTranslated(u"Actual errors reply of %u bytes is longer than %u bytes", length, variant.replyCapacity);
            return 0;
        }
        ApplyActualErrors(variant, reply.data(), length);
        Device().ErrorsCurrent = 1;
        return 1;
    });
}

VEK_API uint32_t VEK_CALL VekGetPendingErrorsNum(void) {
    return vek::Guarded<uint32_t>(__func__, 0, [&]() -> uint32_t {
        return static_cast<uint32_t>(vek::PendingErrors().pending.size());
    });
}

VEK_API uint32_t VEK_CALL VekGetPendingErrorId(uint32_t index) {
    return vek::Guarded<uint32_t>(__func__, 0, [&]() -> uint32_t {
        const auto& pending = vek::PendingErrors().pending;
        return index < pending.size() ? pending[index].id : 0;
    });
}

VEK_API uint16_t VEK_CALL VekGetPendingErrorOldValue(uint32_t index) {
    return vek::Guarded<uint16_t>(__func__, 0, [&]() -> uint16_t {
        const auto& pending = vek::PendingErrors().pending;
        return index < pending.size() ? pending[index].oldValue : 0;
    });
}

}  // extern "C"
