// One line of the value section: number, name, "=", value and unit. The
// separators are white space and "="; the "=" and the unit may be left out.
#pragma once

#include "text/Text.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

struct ValueLine {
    uint32_t id = 0;
    Text name;          // widened byte for byte
    std::string value;  // the display text, as written
    bool hasUnit = false;
};

// Cuts a data line into a value line. False (a syntax error) for fewer than
// three or more than six tokens, a number that is not all decimal digits or
// does not fit 32 bits, and a name longer than a definition can hold.
bool ParseValueLine(std::string_view line, ValueLine& out);

// A value of a hexadecimal parameter written without its unit is a decimal
// number: read as a signed integer (as C's atoi does, held to 32 bits) and
// given back in upper-case hexadecimal digits, negative numbers as their
// 32-bit two's complement.
std::string DecimalAsHexText(std::string_view decimal);

}  // namespace vek
