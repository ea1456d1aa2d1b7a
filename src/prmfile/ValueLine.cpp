#include "prmfile/ValueLine.hpp"

#include "pardef/Record.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace vek {

namespace {

constexpr std::size_t kMinTokens = 3;  // number, name, value
constexpr std::size_t kMaxTokens = 6;  // tokens after the unit are ignored
constexpr std::size_t kUnitToken = 3;

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsSeparator(char c) { return IsWhiteSpace(c) || c == '='; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t position = 0;
    while (position < line.size()) {
        while (position < line.size() && IsSeparator(line[position])) ++position;
        const std::size_t begin = position;
        while (position < line.size() && !IsSeparator(line[position])) ++position;
        if (position > begin) tokens.push_back(line.substr(begin, position - begin));
    }
    return tokens;
}

bool ParseNumber(std::string_view token, uint32_t& number) {
    uint64_t value = 0;
    for (char c : token) {
        if (!IsDigit(c)) return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX) return false;
    }
    number = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

bool ParseValueLine(std::string_view line, ValueLine& out) {
    const std::vector<std::string_view> tokens = Tokens(line);
    if (tokens.size() < kMinTokens || tokens.size() > kMaxTokens) return false;
    if (!ParseNumber(tokens[0], out.id)) return false;
    if (tokens[1].size() > kMaxNameLength) return false;
    out.name = Widen(tokens[1]);
    out.value = std::string(tokens[2]);
    out.hasUnit = tokens.size() > kUnitToken;
    return true;
}

std::string DecimalAsHexText(std::string_view decimal) {
    std::size_t position = 0;
    while (position < decimal.size() && IsWhiteSpace(decimal[position])) ++position;
    bool negative = false;
    if (position < decimal.size() && (decimal[position] == '-' || decimal[position] == '+')) {
        negative = decimal[position++] == '-';
    }
    // Held to the range of a 32-bit int, so that a long digit string cannot overflow.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; position < decimal.size() && IsDigit(decimal[position]); ++position) {
        magnitude = std::min<int64_t>(magnitude * 10 + (decimal[position] - '0'), kLimit);
    }
    const int64_t value = negative ? -magnitude : std::min<int64_t>(magnitude, kLimit - 1);
    return Narrow(Format(u"%X", static_cast<int32_t>(value)));
}

}  // namespace vek
