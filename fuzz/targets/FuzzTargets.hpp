// The bodies of the fuzz targets as plain functions: libFuzzer's entry point
// calls one of them per input, and the test suite replays the kept inputs
// through the same functions. Each call sets up the library state it needs
// and leaves the stream record as it found it (the parameter file target once
// it has ended). A broken invariant aborts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vekfuzz {

// The input is the text of a parameter file, uploaded from a buffer into a
// simulated governor, strictly and then tolerantly with measurements. The
// governor stays connected from one input to the next until EndPrmUpload,
// which closes the connection and puts the stream record back.
int FuzzPrmUpload(const uint8_t* data, size_t size);
void EndPrmUpload();

// Byte 0 picks a definition (bit 7: version-style hardware), byte 1 a text
// capacity; the rest is value text to parse and, read as a double, a value
// to format.
int FuzzValueText(const uint8_t* data, size_t size);

// The input is everything the governor answers, in order, while the library
// runs a fixed session (GovernorSession.hpp).
int FuzzGovernorReplies(const uint8_t* data, size_t size);

}  // namespace vekfuzz
