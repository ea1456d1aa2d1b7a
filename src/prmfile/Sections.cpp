#include "prmfile/Sections.hpp"

#include "core/Report.hpp"
#include "core/State.hpp"
#include "text/Text.hpp"

#include <string>
#include <string_view>

namespace vek {

namespace {

constexpr char kSectionMark = '[';

enum class Section { Hardware, Software, User, Values, Unknown, None };

Section SectionOf(std::string_view line) {
    if (line.empty() || line[0] != kSectionMark) return Section::None;
    const Text header = Widen(line);
    if (EqualsIgnoringCase(header, u"[HW]")) return Section::Hardware;
    if (EqualsIgnoringCase(header, u"[SW]")) return Section::Software;
    if (EqualsIgnoringCase(header, u"[UW]")) return Section::User;
    if (EqualsIgnoringCase(header, u"[Werte]") || EqualsIgnoringCase(header, u"[Data]")) return Section::Values;
    return Section::Unknown;
}

// The unsigned decimal number at the start of a version line; 0 without
// digits, the largest 32-bit number when it does not fit.
uint32_t VersionNumber(std::string_view line) {
    uint64_t value = 0;
    for (char c : line) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<uint32_t>(value);
}

uint32_t* VersionOf(Section section, FileVersions& versions) {
    switch (section) {
        case Section::Hardware: return &versions.hardware;
        case Section::Software: return &versions.software;
        case Section::User: return &versions.user;
        default: return nullptr;
    }
}

}  // namespace

bool ReadSections(DataLineReader& lines, FileVersions& versions) {
    std::string line;
    if (!lines.Next(line)) return false;
    for (;;) {
        const Section section = SectionOf(line);
        if (section == Section::Values) return true;
        if (section == Section::None) {
            LogTranslated(u"Invalid parameters format");
            return false;
        }
        if (uint32_t* version = VersionOf(section, versions)) {
            // The line after the header is the version, whatever it holds.
            if (!lines.Next(line)) return false;
            *version = VersionNumber(line);
            if (!lines.Next(line)) return false;
            continue;
        }
        // An unknown section: everything up to the next header is passed over.
        do {
            if (!lines.Next(line)) return false;
        } while (line[0] != kSectionMark);
    }
}

bool VersionsAccepted(const FileVersions& versions, bool tolerant) {
    const VekStruct& device = Device();
    const struct {
        uint32_t file;
        uint32_t device;
        const Char* mismatch;
    } checks[] = {
        {versions.hardware, device.HardwareVersion, u"Hardware versions don't match"},
        {versions.software, device.SoftwareVersion, u"Software versions don't match"},
        {versions.user, device.UserVersion, u"User versions don't match"},
    };
    for (const auto& check : checks) {
        if (check.file == check.device) continue;
        LogTranslated(check.mismatch);
        if (!tolerant) return false;
    }
    return true;
}

}  // namespace vek
