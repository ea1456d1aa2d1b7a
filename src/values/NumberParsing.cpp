#include "values/NumberParsing.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace vek {

namespace {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// The blanks of the classic locale.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr char kExponentMark = 'e';

}  // namespace

bool CleanDecimalText(std::string_view text, std::string& cleaned) {
    cleaned.clear();
    int digits = 0;
    int separators = 0;
    int exponents = 0;
    int minuses = 0;
    for (char c : text) {
        if (c == '\'') continue;
        if (c == ',' || c == '.') {
            c = '.';
            ++separators;
        } else if (c == '-') {
            ++minuses;
        } else if (IsDecimalDigit(c)) {
            ++digits;
        } else if (c == kExponentMark) {
            ++exponents;
        } else {
            return false;
        }
        if (cleaned.size() == kMaxCleanedLength) return false;
        cleaned.push_back(c);
    }
    return digits >= 1 && separators <= 1 && exponents <= 1 && minuses <= 1;
}

double ReadLeadingNumber(std::string_view text) {
    double value = 0;
    const char* first = text.data();
    const auto [end, error] = std::from_chars(first, first + text.size(), value, std::chars_format::general);
    if (error == std::errc::invalid_argument) return 0;
    if (error == std::errc::result_out_of_range) {
        // Too large in magnitude (infinity, as atof gives) or too small (0).
        const std::string_view number(first, static_cast<std::size_t>(end - first));
        const std::size_t mark = number.find(kExponentMark);
        const bool tiny = mark != std::string_view::npos && mark + 1 < number.size() && number[mark + 1] == '-';
        const double magnitude = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        return number.front() == '-' ? -magnitude : magnitude;
    }
    return value;
}

bool ScanHexNumber(std::string_view text, uint32_t& value) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    // "0x" is a prefix only when a digit follows; otherwise the 0 is the number.
    if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
        HexDigitValue(text[pos + 2]) >= 0) {
        pos += 2;
    }
    constexpr uint64_t kLimit = std::numeric_limits<uint32_t>::max();
    uint64_t number = 0;
    bool overflow = false;
    const std::size_t firstDigit = pos;
    for (int digit; pos < text.size() && (digit = HexDigitValue(text[pos])) >= 0; ++pos) {
        number = number * 16 + static_cast<uint64_t>(digit);
        if (number > kLimit) {
            overflow = true;
            number = kLimit;
        }
    }
    if (pos == firstDigit) return false;
    value = static_cast<uint32_t>(number);
    if (negative && !overflow) value = 0u - value;
    return true;
}

}  // namespace vek
