#include "FilePreview.hpp"

#include "RecordJson.hpp"

#include "../TextOut.hpp"

#include "VekLib.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace vektool::ui {

namespace {

struct ValueLine {
    uint32_t number = 0;
    std::string name;
    std::string value;
};

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The file is 8-bit text: each byte is the character of that code.
std::u16string Widened(const std::string& bytes) {
    std::u16string text;
    for (const char c : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(c));
    return text;
}

std::string Utf8(const std::string& bytes) {
    const std::u16string text = Widened(bytes);
    return ToUtf8(text.c_str(), text.size() + 1);
}

// "  1000 IdleSpeed   =   400 rpm": number, name, the value's first word.
bool ParseValueLine(const std::string& line, ValueLine& parsed) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    std::istringstream left(line.substr(0, equals));
    std::string number;
    if (!(left >> number >> parsed.name) || number.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long long value = std::strtoull(number.c_str(), nullptr, 10);
    if (number.size() > 10 || value > UINT32_MAX) return false;
    parsed.number = static_cast<uint32_t>(value);
    std::istringstream right(line.substr(equals + 1));
    right >> parsed.value;
    return !parsed.value.empty();
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

Json GovernorVersions() {
    const VekStruct& device = *VekGetVekStruct();
    return {{"HW", +device.HardwareVersion}, {"SW", +device.SoftwareVersion}, {"UW", +device.UserVersion}};
}

class Comparison {
public:
    explicit Comparison(bool includeMeasurements) : measurements_(includeMeasurements) {}

    void Line(const std::string& line, std::size_t lineNumber) {
        const std::string trimmed = Trimmed(line);
        if (trimmed.empty() || trimmed[0] == '#') return;
        if (trimmed[0] == '[') {
            section_ = trimmed;
            return;
        }
        if (section_ == "[HW]" || section_ == "[SW]" || section_ == "[UW]") {
            fileVersions_[section_.substr(1, 2)] = std::strtoul(trimmed.c_str(), nullptr, 10);
            return;
        }
        ValueLine value;
        if (!ParseValueLine(trimmed, value)) {
            Problem(lineNumber, value, "not a value line");
            return;
        }
        Compare(value, lineNumber);
    }

    Json Result() const {
        return {{"versions", {{"file", fileVersions_}, {"governor", GovernorVersions()}}},
                {"differences", differences_},
                {"problems", problems_},
                {"unchanged", unchanged_}};
    }

private:
    void Problem(std::size_t lineNumber, const ValueLine& value, const std::string& problem) {
        problems_.push_back(
            {{"line", lineNumber}, {"number", value.number}, {"name", Utf8(value.name)}, {"problem", problem}});
    }

    void Compare(const ValueLine& value, std::size_t lineNumber) {
        const ParDef* def = VekGetParDef(value.number);
        if (!def) return Problem(lineNumber, value, "the governor has no such number");
        if (std::string(KindOf(value.number)) == "measurements" && !measurements_) return;
        const std::string name = ToUtf8(def->Name);
        if (!SameName(name, Utf8(value.name))) {
            Problem(lineNumber, value, "the governor calls number " + std::to_string(value.number) + " " + name);
        }
        const uint16_t held = def->RawValue;
        const std::string heldText = ValueText(value.number);
        if (!VekSetValue(value.number, AsVekText(Widened(value.value)))) {
            return Problem(lineNumber, value, "'" + Utf8(value.value) + "' is not a valid value");
        }
        if (def->RawValue == held) {
            ++unchanged_;
        } else {
            differences_.push_back({{"number", value.number},
                                    {"name", name},
                                    {"governor", heldText},
                                    {"file", ValueText(value.number)},
                                    {"unit", ToUtf8(def->Unit)}});
        }
    }

    bool measurements_;
    std::string section_;
    Json fileVersions_ = Json::object();
    Json differences_ = Json::array();
    Json problems_ = Json::array();
    std::size_t unchanged_ = 0;
};

}  // namespace

Json PreviewParameterFile(const std::string& bytes, bool includeMeasurements) {
    Comparison comparison(includeMeasurements);
    // The file's values are parsed into the held values only, which get the
    // governor's values back at the end.
    VekBackupParDefs();
    VekDirectSet(0);
    std::istringstream lines(bytes);
    std::string line;
    for (std::size_t number = 1; std::getline(lines, line); ++number) comparison.Line(line, number);
    VekDirectSet(1);
    VekRestoreParDefs();
    return comparison.Result();
}

}  // namespace vektool::ui
