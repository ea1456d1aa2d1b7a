// The error memory: the process-wide list of error entries that the reads
// fill and the caller walks by index, and the two reads behind
// VekReadErrorMemory (basic governors stream raw error words, extended ones
// send structured records).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "VekLib.h"

namespace vek {

struct ErrorMemoryState {
    // Every entry is an allocation of its own, so the pointers handed to the
    // caller stay where they are until the list is emptied by the next read.
    std::vector<std::unique_ptr<ErrorEntry>> entries;
};

ErrorMemoryState& ErrorMemory();

// Empties the list (under the communication lock); old pointers die here.
void ClearErrorEntries();
// Appends a new entry, all zero but its number, and returns it.
ErrorEntry& AddErrorEntry(uint32_t id);

// The basic read: error words of the defined numbers from 2000 on, then one
// entry for every error definition 3100-3299 whose raw value is not 0.
bool ReadBasicErrorMemory();
// The extended read: the configuration block, then the records.
bool ReadExtendedErrorMemory();

}  // namespace vek
