// Reading numbers typed by a user or found in a parameter file: the cleaning
// of decimal texts, a locale-independent reading of the number at the start
// of a text, the hexadecimal scan, all on 8-bit text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

// The cleaned text holds at most this many characters.
constexpr std::size_t kMaxCleanedLength = 259;

// Drops apostrophes (thousands separators), turns ',' into '.' and accepts
// only digits, one separator, one lower-case 'e' and one '-' (anywhere), with
// at least one digit. False for any other text and for a cleaned text longer
// than kMaxCleanedLength.
bool CleanDecimalText(std::string_view text, std::string& cleaned);

// The longest decimal floating-point number at the start of text, as C's
// atof reads it in the classic locale; 0 when nothing there is a number.
double ReadLeadingNumber(std::string_view text);

// One hexadecimal number as C's "%X" scans it: blanks, an optional sign and
// an optional "0x" first, anything after the digits ignored; a negative number
// wraps modulo 2^32, a number too large for 32 bits is 0xFFFFFFFF. False when
// no digit is there.
bool ScanHexNumber(std::string_view text, uint32_t& value);

}  // namespace vek
