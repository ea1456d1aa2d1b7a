#include "ErrorMemory.hpp"

#include <algorithm>

#include "ActualErrors.hpp"
#include "GovernorModel.hpp"
#include "Values.hpp"

namespace vekgov {

namespace {

// Words of a basic governor's memory, one per error definition.
constexpr uint16_t kStoredWord = 2;
constexpr uint16_t kAcknowledgedWord = 3;
constexpr uint16_t kNoWord = 0;

constexpr uint8_t kMaxCount = 255;
constexpr uint32_t kSecondsPerHour = 3600;
constexpr uint32_t kSecondsPerMinute = 60;
constexpr uint32_t kMaxHours = 0xFFFF;
constexpr uint64_t kMsPerSecond = 1000;
constexpr uint16_t kHardwarePerMajor = 100;
// Hardware majors whose error memory the host reads as records (kinds 2 and 3).
constexpr uint16_t kRecordMemoryMajors[] = {5, 21, 23};

constexpr size_t kWord = 2;
constexpr size_t kWideArg = 4;
constexpr size_t kIdAndStampBytes = 10;  // number, hours 1 and 2, counter, seconds bytes, high nibbles
constexpr size_t kTrailerBytes = 2;
constexpr unsigned kNibbleBits = 4;
constexpr unsigned kByteBits = 8;

// The parameters whose values a typical governor records: speed, supply
// voltage, coolant temperature and the hour counter.
constexpr uint32_t kSpeed = 2000;
constexpr uint32_t kSupplyVoltage = 2008;
constexpr uint32_t kCoolantTemp = 2007;
constexpr uint32_t kHourCounter = 2014;
constexpr uint16_t kTypicalAux = 0x0100;
constexpr uint32_t OperatingTime(uint32_t h, uint32_t m, uint32_t s = 0) {
    return h * kSecondsPerHour + m * kSecondsPerMinute + s;
}

bool HasTwoArgSets(const ErrorMemoryArea& area) { return area.format == record_format::TwoArgSets; }

// Format 3 counts one argument set in its size unless the arguments are
// counted 4 bytes wide: only then has a record room for the second set.
bool HasRoomForLastArgs(const GovernorModel& model) {
    return HasTwoArgSets(model.errorMemory) &&
           (UsesWideArgs(model.profile) || model.errorMemory.argIds.empty());
}

size_t EffectiveCapacity(const GovernorModel& model) {
    const size_t fitting = (kRecordsReplyCapacity - kTrailerBytes) / RecordSize(model);
    return std::min(model.errorMemory.capacity, fitting);
}

void DropOldest(GovernorModel& model) {
    auto& records = model.errorMemory.records;
    const size_t capacity = EffectiveCapacity(model);
    if (records.size() > capacity)
        records.erase(records.begin(), records.end() - static_cast<ptrdiff_t>(capacity));
}

std::vector<uint16_t> CurrentArgs(const GovernorModel& model) {
    std::vector<uint16_t> values;
    for (uint32_t id : model.errorMemory.argIds) values.push_back(ReadValue(model, id).value_or(0));
    return values;
}

// A basic governor keeps its memory in the words of the error definitions,
// which cannot hold an error without a definition.
bool CanRecord(const GovernorModel& model, uint32_t number) {
    return HasRecordMemory(model.profile) || ReadValue(model, number).has_value();
}

// While an error is present its word is its state; afterwards the memory's.
void RefreshBasicWord(GovernorModel& model, uint32_t number) {
    if (HasRecordMemory(model.profile) || ErrorState(model, number) != error_state::Absent) return;
    WriteValue(model, number, ErrorMemoryWord(model, number));
}

// The record of an error number in a (const or mutable) record list, or null.
template <class Records>
auto* FindRecord(Records& records, uint32_t number) {
    const auto found = std::find_if(records.begin(), records.end(),
                                    [number](const ErrorMemoryRecord& r) { return r.number == number; });
    return found == records.end() ? nullptr : &*found;
}

// A record of the profile's history shaped like the memory's own records.
ErrorMemoryRecord Fitted(const GovernorModel& model, ErrorMemoryRecord record) {
    const size_t args = model.errorMemory.argIds.size();
    record.args.resize(args);
    record.lastArgs.resize(HasRoomForLastArgs(model) ? args : 0);
    return record;
}

void PutStamps(Bytes& out, const ErrorMemoryRecord& record) {
    const auto hours = [](uint32_t seconds) {
        return static_cast<uint16_t>(std::min(seconds / kSecondsPerHour, kMaxHours));
    };
    const uint32_t seconds1 = record.firstSeconds % kSecondsPerHour;
    const uint32_t seconds2 = record.lastSeconds % kSecondsPerHour;
    AppendWord(out, hours(record.firstSeconds));
    AppendWord(out, hours(record.lastSeconds));
    out.push_back(record.count);
    out.push_back(static_cast<uint8_t>(seconds1));
    out.push_back(static_cast<uint8_t>(seconds2));
    out.push_back(static_cast<uint8_t>(((seconds1 >> kByteBits) << kNibbleBits) | (seconds2 >> kByteBits)));
}

void PutArgs(Bytes& out, const std::vector<uint16_t>& args, size_t count) {
    for (size_t i = 0; i < count; ++i) AppendWord(out, i < args.size() ? args[i] : 0);
}

// One record laid out field by field, then cut or padded to the record size.
Bytes EncodeRecord(const GovernorModel& model, const ErrorMemoryRecord& record) {
    const ErrorMemoryArea& area = model.errorMemory;
    const size_t args = area.argIds.size();
    Bytes out;
    AppendWord(out, record.number);
    if (area.format != record_format::Times) {
        AppendWord(out, record.lastState);
        if (UsesVariant(model.profile)) AppendWord(out, record.flags);
    }
    PutStamps(out, record);
    PutArgs(out, record.args, args);
    if (HasTwoArgSets(area)) {
        AppendWord(out, record.firstState);
        AppendWord(out, record.worstState);
        PutArgs(out, record.lastArgs, args);
    }
    out.resize(RecordSize(model), 0);
    return out;
}

}  // namespace

ErrorMemorySetup TypicalErrorMemory(uint16_t format) {
    ErrorMemorySetup setup;
    setup.format = format;
    setup.aux = kTypicalAux;
    setup.argIds = {kSpeed, kSupplyVoltage, kCoolantTemp, kHourCounter};
    setup.operatingSeconds = OperatingTime(1234, 30);
    // Overspeed three times, a drift acknowledged, a CAN bus-off a dozen times.
    // clang-format off
    setup.history = {
        // number, first and last time, count, last state, flags, first and worst state, argument sets
        {3102, OperatingTime(1180, 12, 5), OperatingTime(1201, 47, 59), 3, 2, 0, 1, 2,
         {2250, 245, 880, 1180}, {2310, 243, 905, 1201}},
        {3106, OperatingTime(1199, 0, 30), OperatingTime(1199, 0, 30), 1, 1, record_flag::Acknowledged, 1, 1,
         {1500, 251, 850, 1199}, {1500, 251, 850, 1199}},
        {3109, OperatingTime(1210, 5, 0), OperatingTime(1233, 59, 59), 12, 1, 0, 1, 1,
         {1498, 249, 861, 1210}, {1502, 250, 870, 1233}},
    };
    // clang-format on
    return setup;
}

bool HasRecordMemory(const DeviceProfile& profile) {
    const uint16_t major = profile.hardwareVersion / kHardwarePerMajor;
    return std::find(std::begin(kRecordMemoryMajors), std::end(kRecordMemoryMajors), major) !=
           std::end(kRecordMemoryMajors);
}

bool UsesWideArgs(const DeviceProfile& profile) { return (profile.commandsInfo & dev::InfoWideNumbers) != 0; }
bool UsesVariant(const DeviceProfile& profile) {
    return (profile.commandsInfo & dev::InfoErrorMemoryVariant) != 0;
}

void InstallErrorMemory(GovernorModel& model) {
    const ErrorMemorySetup& setup = model.profile.errorMemory;
    ErrorMemoryArea& area = model.errorMemory;
    area = ErrorMemoryArea{};
    area.format = setup.format;
    area.aux = setup.aux;
    area.argIds = setup.argIds;
    area.argIds.resize(std::min(area.argIds.size(), kMaxErrorArgs));
    area.capacity = setup.capacity;
    area.operatingSeconds = setup.operatingSeconds;
    for (const ErrorMemoryRecord& record : setup.history) {
        if (CanRecord(model, record.number)) area.records.push_back(Fitted(model, record));
    }
    DropOldest(model);
    for (const ErrorMemoryRecord& record : area.records) RefreshBasicWord(model, record.number);
    model.actualErrors.observers.push_back([&model](const RaisedError& raised) {
        RecordError(model, raised.number, raised.state,
                    model.errorMemory.operatingSeconds + static_cast<uint32_t>(raised.atMs / kMsPerSecond));
    });
}

uint32_t OperatingSeconds(const GovernorModel& model) {
    return model.errorMemory.operatingSeconds + static_cast<uint32_t>(model.clock.NowMs() / kMsPerSecond);
}

uint16_t ErrorMemoryWord(const GovernorModel& model, uint32_t number) {
    if (HasRecordMemory(model.profile)) return kNoWord;
    const ErrorMemoryRecord* record = FindRecord(model.errorMemory.records, number);
    if (!record) return kNoWord;
    return (record->flags & record_flag::Acknowledged) ? kAcknowledgedWord : kStoredWord;
}

void RecordError(GovernorModel& model, uint32_t number, uint16_t state, uint32_t seconds) {
    if (!CanRecord(model, number)) return;
    auto& records = model.errorMemory.records;
    const std::vector<uint16_t> args = CurrentArgs(model);
    ErrorMemoryRecord* found = FindRecord(records, number);
    if (!found) {
        ErrorMemoryRecord record{
            static_cast<uint16_t>(number), seconds, seconds, 1, state, 0, state, state, args, args};
        records.push_back(Fitted(model, record));
        DropOldest(model);
        return;
    }
    ErrorMemoryRecord& record = *found;
    record.count = static_cast<uint8_t>(std::min<unsigned>(record.count + 1u, kMaxCount));
    record.lastSeconds = seconds;
    record.lastState = state;
    record.worstState = std::max(record.worstState, state);
    record.flags = static_cast<uint16_t>(record.flags & ~record_flag::Acknowledged);
    if (HasRoomForLastArgs(model)) record.lastArgs = args;
}

size_t RecordSize(const GovernorModel& model) {
    const ErrorMemoryArea& area = model.errorMemory;
    size_t base = kIdAndStampBytes;
    if (area.format != record_format::Times) base += kWord + (UsesVariant(model.profile) ? kWord : 0);
    if (HasTwoArgSets(area)) base += 2 * kWord;
    return base + area.argIds.size() * (UsesWideArgs(model.profile) ? kWideArg : kWord);
}

Bytes ErrorMemoryConfigData(const GovernorModel& model) {
    const ErrorMemoryArea& area = model.errorMemory;
    Bytes data;
    AppendWord(data, area.format);
    AppendWord(data, area.aux);
    AppendWord(data, static_cast<uint16_t>(area.argIds.size()));
    for (size_t i = 0; i < kMaxErrorArgs; ++i) {
        const uint32_t id = i < area.argIds.size() ? area.argIds[i] : 0;
        if (UsesWideArgs(model.profile)) {
            AppendLong(data, id);
        } else {
            AppendWord(data, static_cast<uint16_t>(id));
        }
    }
    return data;
}

Bytes ErrorMemoryRecordsReply(const GovernorModel& model) {
    Bytes records;
    for (const ErrorMemoryRecord& record : model.errorMemory.records) {
        const Bytes encoded = EncodeRecord(model, record);
        records.insert(records.end(), encoded.begin(), encoded.end());
    }
    // The trailer: the sum of the record bytes, which the host does not check.
    uint16_t sum = 0;
    for (uint8_t b : records) sum = static_cast<uint16_t>(sum + b);
    Bytes reply;
    AppendWord(reply, static_cast<uint16_t>(records.size() + kTrailerBytes));
    reply.insert(reply.end(), records.begin(), records.end());
    AppendWord(reply, sum);
    return reply;
}

uint16_t AcknowledgeErrorRecord(GovernorModel& model, uint16_t number, uint16_t count) {
    auto& records = model.errorMemory.records;
    const auto found = std::find_if(records.begin(), records.end(), [&](const ErrorMemoryRecord& r) {
        return r.number == number && r.count == count;
    });
    if (found == records.end()) return dev::StatusRefused;
    found->flags |= record_flag::Acknowledged;
    RefreshBasicWord(model, number);
    return dev::StatusOk;
}

std::vector<uint16_t> EraseErrorMemory(GovernorModel& model) {
    ErrorMemoryArea& area = model.errorMemory;
    // The errors still present are recorded again at once.
    const auto erase = [&model, &area] {
        std::vector<ErrorMemoryRecord> erased;
        erased.swap(area.records);
        for (const auto& [number, state] : model.actualErrors.states) {
            RecordError(model, number, state, OperatingSeconds(model));
        }
        for (const ErrorMemoryRecord& record : erased) RefreshBasicWord(model, record.number);
    };
    if (!area.eraseFault) {
        erase();
        return {dev::StatusOk};
    }
    const uint16_t code = area.eraseFault->code;
    switch (area.eraseFault->outcome) {
        case EraseOutcome::ErasedAfterAll:
            erase();
            return {code, dev::StatusOk};
        case EraseOutcome::Refused:
            return {code, code};
        case EraseOutcome::Silent:
            break;
    }
    return {code};
}

uint16_t ConfigureErrorArgs(GovernorModel& model, const uint8_t* data, size_t n) {
    if (n < kWord) return dev::StatusRefused;
    const size_t count = GetWord(data);
    if (count > kMaxErrorArgs || n != kWord + count * kWord) return dev::StatusRefused;
    std::vector<uint32_t> ids;
    for (size_t i = 0; i < count; ++i) ids.push_back(GetWord(data + kWord + i * kWord));

    // Records keep the values of the parameters that stay configured.
    ErrorMemoryArea& area = model.errorMemory;
    const auto remap = [&](const std::vector<uint16_t>& values) {
        std::vector<uint16_t> remapped;
        for (uint32_t id : ids) {
            const auto old = std::find(area.argIds.begin(), area.argIds.end(), id);
            const size_t at = static_cast<size_t>(old - area.argIds.begin());
            remapped.push_back(old != area.argIds.end() && at < values.size() ? values[at] : 0);
        }
        return remapped;
    };
    for (ErrorMemoryRecord& record : area.records) {
        record.args = remap(record.args);
        record.lastArgs = remap(record.lastArgs);
    }
    area.argIds = ids;
    for (ErrorMemoryRecord& record : area.records) record = Fitted(model, record);
    DropOldest(model);
    return dev::StatusOk;
}

}  // namespace vekgov
