#include "pardef/ParDefStore.hpp"

#include "core/CommLock.hpp"
#include "core/Report.hpp"
#include "pardef/Record.hpp"

#include <algorithm>
#include <utility>

namespace vek {

namespace {

// The clash message is cut to this many characters.
constexpr std::size_t kClashMessageCapacity = 256;

ParDefState MakeEmptyStore() {
    ParDefState state;
    state.byId.rehash(kMinParDefBuckets);
    return state;
}

}  // namespace

ParDefState& ParDefs() {
    static ParDefState state = MakeEmptyStore();
    return state;
}

ParDef* FindParDef(uint32_t id) {
    const auto& byId = ParDefs().byId;
    const auto found = byId.find(id);
    return found == byId.end() ? nullptr : found->second;
}

ParDef* AddParDef(uint32_t id) {
    if (ParDef* existing = FindParDef(id)) return existing;
    ParDefState& store = ParDefs();
    ParDef& record = store.records.emplace_back();  // value-initialised: all bytes zero
    record.Id = id;
    store.byId.emplace(id, &record);
    store.index.push_back(id);
    return &record;
}

ParDef* AddNewParDef(uint32_t id) {
    const ParDef* existing = FindParDef(id);
    if (!existing) return AddParDef(id);
    Translated format(u"Parameter %d already exists (%s)");
    Char message[kClashMessageCapacity];
    Format(message, kClashMessageCapacity, format, static_cast<int32_t>(id), NameOf(*existing));
    ReportImportantErrorText(message);
    return nullptr;
}

void ClearParDefs() {
    CommLock lock;
    ParDefState& store = ParDefs();
    store.byId.clear();
    store.records.clear();
    store.savedValues.clear();
    store.knownZeros.clear();
    store.savedKnownZeros.clear();
    store.index.clear();
    if (store.byId.bucket_count() < kMinParDefBuckets) store.byId.rehash(kMinParDefBuckets);
}

void SortParDefIndex() {
    std::vector<uint32_t>& index = ParDefs().index;
    std::sort(index.begin(), index.end());
}

void BackupParDefs() {
    CommLock lock;
    ParDefState& store = ParDefs();
    store.savedValues.clear();
    // Copies first: a reference into the packed record may be misaligned.
    for (const ParDef& record : store.records) {
        const uint32_t id = record.Id;
        store.savedValues[id] = record.RawValue;
    }
    store.savedKnownZeros = store.knownZeros;
}

void RestoreParDefs() {
    CommLock lock;
    ParDefState& store = ParDefs();
    for (const auto& [id, value] : store.savedValues) {
        if (ParDef* record = FindParDef(id)) record->RawValue = value;
    }
    store.knownZeros = std::move(store.savedKnownZeros);
    store.savedKnownZeros.clear();
    store.savedValues.clear();
}

void StoreRawValue(ParDef& record, uint16_t value) {
    record.RawValue = value;
    // Non-zero values speak for themselves; only a 0 needs remembering. The
    // set is shared by every record: values parsed on one thread may be
    // stored while another thread reads from the governor.
    if (value != 0) return;
    const uint32_t id = record.Id;  // a copy: the packed field may be misaligned
    CommLock lock;
    ParDefs().knownZeros.insert(id);
}

bool RawValueKnown(const ParDef& record) {
    if (record.RawValue != 0) return true;
    const uint32_t id = record.Id;  // a copy: the packed field may be misaligned
    CommLock lock;
    return ParDefs().knownZeros.count(id) != 0;
}

uint32_t LastParDefId() {
    const std::vector<uint32_t>& index = ParDefs().index;
    return index.empty() ? 0 : index.back();
}

void ComputeRealLimits() {
    for (ParDef& record : ParDefs().records) {
        const double divisor = DecimalDivisor(Decimals(record.Format));
        record.RealMin = record.Min / divisor;
        record.RealMax = record.Max / divisor;
    }
}

std::vector<uint32_t> DefinedIdsOfKind(ParKind kind) {
    std::vector<uint32_t> ids;
    for (const ParDef& record : ParDefs().records) {
        const uint32_t id = record.Id;  // a copy: push_back would bind a misaligned reference
        if (IsKind(id, kind)) ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

}  // namespace vek
