// The errors that are active in the governor now. They are raised and
// cleared on demand (tests, the simulator's command line) or over time by a
// repeating cycle of changes. A change that the host has not read yet sets
// the model's flag that marks every block checksum.
#pragma once

#include "Framing.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace vekgov {

struct GovernorModel;

// Error states as the governor keeps them: 0 not present, 1 present,
// 2 stored, 3 acknowledged.
namespace error_state {
constexpr uint16_t Absent = 0;
constexpr uint16_t Present = 1;
}  // namespace error_state

// The numbers that the governor reports as errors: the definitions whose
// number lies in this window.
constexpr uint32_t kFirstErrorNumber = 3100;
constexpr uint32_t kLastErrorNumber = 3299;

// One step of the cycle: at `offsetMs` into every period, `number` takes `state`.
struct ErrorChange {
    uint64_t offsetMs;
    uint32_t number;
    uint16_t state;
};

// What an observer learns when an error takes a state other than 0.
struct RaisedError {
    uint32_t number;
    uint16_t state;
    uint64_t atMs;  // model time
};
using RaisedErrorObserver = std::function<void(const RaisedError&)>;

struct ActualErrorsArea {
    std::map<uint32_t, uint16_t> states;  // numbers without an entry are absent
    std::vector<ErrorChange> cycle;       // ascending offsets
    uint64_t cyclePeriodMs = 0;           // 0: no cycle
    uint64_t appliedUpToMs = 0;           // the cycle has been applied up to here
    std::vector<RaisedErrorObserver> observers;
};

// The built-in governor's cycle: a low supply and a CAN time-out that come
// and go within a minute and a half.
void UseBuiltInErrorCycle(ActualErrorsArea& area);

// The cycle leaves this number alone from now on (something else raises it).
void DropFromCycle(ActualErrorsArea& area, uint32_t number);

// On demand. A state of 0 clears the error.
void SetErrorState(GovernorModel& model, uint32_t number, uint16_t state);
// The same at an earlier model time, as the observers (the error memory) see it.
void SetErrorStateAt(GovernorModel& model, uint32_t number, uint16_t state, uint64_t atMs);
inline void RaiseError(GovernorModel& model, uint32_t number, uint16_t state = error_state::Present) {
    SetErrorState(model, number, state);
}
inline void ClearError(GovernorModel& model, uint32_t number) { SetErrorState(model, number, error_state::Absent); }
uint16_t ErrorState(const GovernorModel& model, uint32_t number);

// Applies the cycle's changes up to the model's present time.
void UpdateActualErrors(GovernorModel& model);

// The reply to an actual-errors request: every defined error and every
// raised number, ascending, with its state in one byte (basic) or in a word
// (wide). Reading them makes the changes seen.
Bytes ActualErrorsReply(GovernorModel& model, bool wide);

}  // namespace vekgov
