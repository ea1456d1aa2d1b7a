// Every export that talks to the governor, as a table: what it needs before
// it runs, how to call it, and what a failure must leave behind. Tests that
// walk all operations (the fault matrix) take them from here, so a new
// export joins them by one more row.
#pragma once

#include "Faults.hpp"
#include "InProcessHost.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vektest {

// What must be in place before an operation runs, on top of a fresh
// governor. Each step builds on the ones above it.
enum class Needs : uint8_t {
    Nothing,      // not even a connection (the connection itself)
    Connection,   // VekInit done
    Definitions,  // and every definition downloaded
    TimedList,    // and timed list 0 configured
    ErrorEntries, // and the error memory read
};

// Where an operation finds its governor and its scratch files.
struct OperationContext {
    vekgov::InProcessHost& host;
    std::filesystem::path scratch;
};

struct Operation {
    const char* name;
    const char* profile;
    Needs needs;
    // Extra preparation after the needs (may be null).
    void (*prepare)(OperationContext& context);
    // Calls the export; true when its result means success.
    bool (*run)(OperationContext& context);
    // Checks the state a failure leaves behind (may be null); reports
    // through gtest assertions.
    void (*checkAfterFailure)(OperationContext& context);
    // A failure leaves the governor without a conversation it can go on
    // with (it restarts, the stream was closed, it waits in the middle of a
    // block transfer): the next operation reconnects.
    bool failureLosesConnection;
    // A refusal by the governor is reported only by its status word in
    // LastStatus, without a log line.
    bool refusalByStatusOnly;
    // Whether the operation legitimately succeeds with this fault in its
    // exchange at `index` (0-based) of `healthy`, the exchanges it makes
    // with a healthy governor (lines of the governor's exchange log); null:
    // it never does.
    bool (*tolerates)(vekgov::Fault fault, const std::vector<std::string>& healthy, size_t index);
};

const std::vector<Operation>& Operations();

// Empties what the library keeps between operations (definitions, timed
// lists, pending errors, error entries, device record, last status), so
// that every run starts from the same state.
void ResetLibraryState();
// Brings a governor that has just been put behind the stream up to `needs`;
// a connection already there is kept.
void Fulfil(Needs needs, OperationContext& context);

}  // namespace vektest
