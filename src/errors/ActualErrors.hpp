// The governor's actual errors: each error is a definition whose raw value is
// the error's current state (0: not present). A read writes the states into
// the definitions and lists the errors that are present, the pending errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vek {

struct PendingError {
    uint32_t id = 0;
    uint16_t oldValue = 0;
};

struct PendingErrorsState {
    std::vector<PendingError> pending;  // in reply order
};

PendingErrorsState& PendingErrors();

// The two reply formats: 16-bit number and 8-bit state (basic), or 16-bit
// number and 16-bit state (extended, CommandsInfo bit 5).
struct ActualErrorsVariant {
    uint8_t command;
    std::size_t entryBytes;
    std::size_t replyCapacity;  // 512 entries
    bool extended;
};

const ActualErrorsVariant& BasicActualErrors();
const ActualErrorsVariant& ExtendedActualErrors();

// Replaces the pending list with the entries of one reply and writes their
// states into the definitions. A trailing part entry is ignored; numbers
// without a definition are skipped.
void ApplyActualErrors(const ActualErrorsVariant& variant, const uint8_t* data, std::size_t length);

}  // namespace vek
