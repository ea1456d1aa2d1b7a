// Applies the value lines of a parameter file to the definitions' RawValues:
// finds the definition each line is meant for and parses its value. Nothing
// is sent to the governor here.
#pragma once

#include "VekLib.h"
#include "prmfile/ValueLine.hpp"

#include <cstdint>
#include <string_view>

namespace vek {

struct UploadOptions {
    bool includeMeasurements = false;  // else measurement lines are skipped unchecked
    bool tolerant = false;             // mismatches are logged, names matched alone
};

class ValueApplier {
public:
    explicit ValueApplier(const UploadOptions& options) : options_(options) {}

    // Applies one value line (lineNumber names it in messages). False ends
    // the upload; a line left out with a message still gives true.
    bool Apply(std::string_view line, uint32_t lineNumber);

private:
    // The definition a line sets: the one of its number when the names
    // agree; when tolerant, the one of its name once the user agreed to
    // merge. False ends the upload; true with null skips the line.
    bool FindTarget(const ValueLine& value, ParDef*& target);
    // Asks once per upload whether mismatching lines may be matched by name.
    bool AskToMerge(const ValueLine& value, const ParDef* byName) const;

    UploadOptions options_;
    bool mergeAgreed_ = false;
};

}  // namespace vek
