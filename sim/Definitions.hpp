// The governor's description of its own parameters, as plain data: one
// definition per record it sends for the definition request, the built-in set
// of the simulated governors, and the text file through which a user
// describes a governor of their own (docs/vekgov-definitions.md).
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace vekgov {

// Data bytes per definition block unless a profile or file says otherwise;
// every block carries whole records only.
constexpr uint16_t kDefaultDefinitionBlockBytes = 512;

// One record as the governor keeps it. min and max are the raw words as they
// are sent: a negative lower limit is its 16-bit two's complement, which the
// host recognises because it lies above max.
struct Definition {
    uint32_t number = 0;
    std::string name;  // 8-bit text, cut to the name field on the wire
    uint16_t min = 0;
    uint16_t max = 0;
    std::string unit;  // 8-bit text, cut to the unit field on the wire
    uint8_t intCode = 0;
    uint8_t format = 0;
    uint8_t count = 0;  // with an IntCode other than 0: further array elements
    // The raw values the governor ships with, element by element (the last
    // one holds for the remaining elements); empty: the generic start value
    // (Values.hpp). Not part of the record on the wire, so not compared.
    std::vector<uint16_t> startValues;

    bool operator==(const Definition& other) const;
};

// The definitions of the built-in governor: parameters, measurements (with the
// "Timer", the error states 3100-3299 and the versions 3840-3847), functions
// and curves; arrays, signed, scaled and hexadecimal values and range
// parameters (IntCode 250). IntCodes 0 to 6 and 250 are used.
std::vector<Definition> DefaultDefinitions();

// What a definition file holds.
struct DefinitionFile {
    std::vector<Definition> definitions;
    std::optional<uint16_t> blockBytes;  // the "block-bytes" setting
};

// Reads the text format; on a mistake gives nothing and sets error to
// "line N: what is wrong".
std::optional<DefinitionFile> ParseDefinitionFile(std::istream& in, std::string& error);
std::optional<DefinitionFile> LoadDefinitionFile(const std::string& path, std::string& error);

}  // namespace vekgov
