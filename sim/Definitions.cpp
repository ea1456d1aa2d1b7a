// The definition file: one definition a line, eight fields separated by ';'
// (number; name; min; max; unit; IntCode; format; count), '#' comments, and
// the setting "block-bytes = N". See docs/vekgov-definitions.md.
#include "Definitions.hpp"

#include <charconv>
#include <fstream>
#include <sstream>

namespace vekgov {

namespace {

constexpr char kFieldSeparator = ';';
constexpr char kCommentStart = '#';
constexpr char kSettingSign = '=';
constexpr size_t kFieldCount = 8;
constexpr size_t kUnitFieldBytes = 7;
constexpr long long kLowestWord = -32768;  // a negative limit is sent as its two's complement
constexpr long long kHighestWord = 0xFFFF;
constexpr long long kHighestByte = 0xFF;
constexpr long long kHighestNumber = 0xFFFFFFFFLL;
constexpr long long kHighestBlockBytes = 0xFFFD;  // the length word holds data bytes + 2

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, kFieldSeparator)) fields.push_back(Trim(field));
    if (!line.empty() && line.back() == kFieldSeparator) fields.emplace_back();
    return fields;
}

// A decimal or 0x-hexadecimal integer within [low, high], with an optional minus.
std::optional<long long> ParseInteger(const std::string& text, long long low, long long high) {
    std::string_view digits(text);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    if (negative) value = -value;
    if (value < low || value > high) return std::nullopt;
    return value;
}

class LineParser {
public:
    LineParser(size_t lineNumber, std::string& error) : lineNumber_(lineNumber), error_(error) {}

    bool Fail(const std::string& what) {
        error_ = "line " + std::to_string(lineNumber_) + ": " + what;
        return false;
    }

    bool Integer(const std::string& text, const char* field, long long low, long long high, long long& out) {
        const std::optional<long long> value = ParseInteger(text, low, high);
        if (!value) {
            return Fail(std::string(field) + " '" + text + "' is not a number from " + std::to_string(low) +
                        " to " + std::to_string(high));
        }
        out = *value;
        return true;
    }

    bool Setting(const std::string& line, DefinitionFile& file) {
        const size_t sign = line.find(kSettingSign);
        const std::string key = Trim(line.substr(0, sign));
        if (key != "block-bytes") return Fail("unknown setting '" + key + "'");
        long long bytes = 0;
        if (!Integer(Trim(line.substr(sign + 1)), "block-bytes", 1, kHighestBlockBytes, bytes)) return false;
        file.blockBytes = static_cast<uint16_t>(bytes);
        return true;
    }

    bool Record(const std::string& line, DefinitionFile& file) {
        const std::vector<std::string> fields = SplitFields(line);
        if (fields.size() != kFieldCount) {
            return Fail("expected 8 fields separated by ';' (number; name; min; max; unit; intcode; format; count)");
        }
        long long number = 0, min = 0, max = 0, intCode = 0, format = 0, count = 0;
        if (!Integer(fields[0], "number", 0, kHighestNumber, number) ||
            !Integer(fields[2], "min", kLowestWord, kHighestWord, min) ||
            !Integer(fields[3], "max", kLowestWord, kHighestWord, max) ||
            !Integer(fields[5], "intcode", 0, kHighestByte, intCode) ||
            !Integer(fields[6], "format", 0, kHighestByte, format) ||
            !Integer(fields[7], "count", 0, kHighestByte, count)) {
            return false;
        }
        if (fields[4].size() > kUnitFieldBytes) return Fail("unit '" + fields[4] + "' is longer than 7 bytes");
        Definition def;
        def.number = static_cast<uint32_t>(number);
        def.name = fields[1];
        def.min = static_cast<uint16_t>(min);
        def.max = static_cast<uint16_t>(max);
        def.unit = fields[4];
        def.intCode = static_cast<uint8_t>(intCode);
        def.format = static_cast<uint8_t>(format);
        def.count = static_cast<uint8_t>(count);
        file.definitions.push_back(std::move(def));
        return true;
    }

private:
    size_t lineNumber_;
    std::string& error_;
};

}  // namespace

bool Definition::operator==(const Definition& other) const {
    return number == other.number && name == other.name && min == other.min && max == other.max &&
           unit == other.unit && intCode == other.intCode && format == other.format && count == other.count;
}

std::optional<DefinitionFile> ParseDefinitionFile(std::istream& in, std::string& error) {
    DefinitionFile file;
    std::string raw;
    for (size_t lineNumber = 1; std::getline(in, raw); ++lineNumber) {
        const std::string line = Trim(raw);
        if (line.empty() || line.front() == kCommentStart) continue;
        LineParser parser(lineNumber, error);
        const bool isSetting = line.find(kFieldSeparator) == std::string::npos &&
                               line.find(kSettingSign) != std::string::npos;
        if (!(isSetting ? parser.Setting(line, file) : parser.Record(line, file))) return std::nullopt;
    }
    return file;
}

std::optional<DefinitionFile> LoadDefinitionFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    return ParseDefinitionFile(in, error);
}

}  // namespace vekgov
