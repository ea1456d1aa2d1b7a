#include "ActualErrors.hpp"

#include "GovernorModel.hpp"
#include "Values.hpp"

#include <algorithm>
#include <set>

namespace vekgov {

namespace {

constexpr uint32_t kSupplyLow = 3107;
constexpr uint32_t kCanTimeout = 3110;
constexpr uint64_t kBuiltInCyclePeriodMs = 90000;
// Catching up after a long pause replays at most this many periods: the
// states come out the same, and observers still see the recent raises.
constexpr uint64_t kMaxReplayedPeriods = 2;

void Apply(GovernorModel& model, uint32_t number, uint16_t state, uint64_t atMs) {
    ActualErrorsArea& area = model.actualErrors;
    if (ErrorState(model, number) == state) return;
    if (state == error_state::Absent) {
        area.states.erase(number);
    } else {
        area.states[number] = state;
    }
    // The state is also the error's value, as a single read sees it; an
    // error that went away leaves the word the error memory keeps for it.
    WriteValue(model, number, state != error_state::Absent ? state : ErrorMemoryWord(model, number));
    model.errorsChangedUnseen = true;
    if (state == error_state::Absent) return;
    for (const RaisedErrorObserver& observer : area.observers) observer({number, state, atMs});
}

}  // namespace

void UseBuiltInErrorCycle(ActualErrorsArea& area) {
    area.cycle = {
        {15000, kSupplyLow, error_state::Present},
        {40000, kCanTimeout, error_state::Present},
        {55000, kSupplyLow, error_state::Absent},
        {80000, kCanTimeout, error_state::Absent},
    };
    area.cyclePeriodMs = kBuiltInCyclePeriodMs;
}

void DropFromCycle(ActualErrorsArea& area, uint32_t number) {
    area.cycle.erase(std::remove_if(area.cycle.begin(), area.cycle.end(),
                                    [number](const ErrorChange& change) { return change.number == number; }),
                     area.cycle.end());
}

void SetErrorState(GovernorModel& model, uint32_t number, uint16_t state) {
    Apply(model, number, state, model.clock.NowMs());
}

void SetErrorStateAt(GovernorModel& model, uint32_t number, uint16_t state, uint64_t atMs) {
    Apply(model, number, state, atMs);
}

uint16_t ErrorState(const GovernorModel& model, uint32_t number) {
    const auto found = model.actualErrors.states.find(number);
    return found == model.actualErrors.states.end() ? error_state::Absent : found->second;
}

void UpdateActualErrors(GovernorModel& model) {
    ActualErrorsArea& area = model.actualErrors;
    const uint64_t now = model.clock.NowMs();
    const uint64_t from = area.appliedUpToMs;
    if (now <= from) return;
    area.appliedUpToMs = now;
    const uint64_t period = area.cyclePeriodMs;
    if (period == 0 || area.cycle.empty()) return;

    uint64_t base = from / period * period;
    const uint64_t lastBase = now / period * period;
    if (lastBase - base > kMaxReplayedPeriods * period) base = lastBase - kMaxReplayedPeriods * period;
    for (; base <= lastBase; base += period) {
        for (const ErrorChange& change : area.cycle) {
            const uint64_t at = base + change.offsetMs;
            if (at > from && at <= now) Apply(model, change.number, change.state, at);
        }
    }
}

Bytes ActualErrorsReply(GovernorModel& model, bool wide) {
    std::set<uint32_t> numbers;
    for (const Definition& def : model.profile.definitions) {
        if (def.number >= kFirstErrorNumber && def.number <= kLastErrorNumber) numbers.insert(def.number);
    }
    for (const auto& [number, state] : model.actualErrors.states) numbers.insert(number);

    Bytes data;
    for (const uint32_t number : numbers) {
        const uint16_t state = ErrorState(model, number);
        AppendWord(data, static_cast<uint16_t>(number));
        if (wide) {
            AppendWord(data, state);
        } else {
            data.push_back(static_cast<uint8_t>(state));
        }
    }
    model.errorsChangedUnseen = false;
    return data;
}

}  // namespace vekgov
