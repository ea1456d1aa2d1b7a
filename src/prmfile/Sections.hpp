// The part of a parameter file before its values: the version sections
// "[HW]", "[SW]" and "[UW]", unknown sections that are passed over, and the
// header that opens the value section.
#pragma once

#include "prmfile/LineReader.hpp"

#include <cstdint>

namespace vek {

// The versions a file was written for; 0 for a section it does not have.
struct FileVersions {
    uint32_t hardware = 0;
    uint32_t software = 0;
    uint32_t user = 0;
};

// Reads the sections up to and including the value section's header. False
// when the text ends first (silently) or a line belongs to no section (logged).
bool ReadSections(DataLineReader& lines, FileVersions& versions);

// Compares the file's versions with the connected device's, hardware first,
// and logs each mismatch. Without tolerance the first mismatch refuses the
// file; with it every mismatch is only logged.
bool VersionsAccepted(const FileVersions& versions, bool tolerant);

}  // namespace vek
