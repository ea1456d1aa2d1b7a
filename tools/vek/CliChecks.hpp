// Checks of option values that CLI11 lacks in the words the tool uses.
#pragma once

#include "CLI/CLI.hpp"

#include <string>

namespace vektool {

// Digits only: CLI11 would take "-1" for an unsigned number, wrapped round.
inline CLI::Validator WholeNumber() {
    return CLI::Validator(
        [](std::string& text) {
            const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
            return digits ? std::string() : "'" + text + "' is not a whole number of 0 or more";
        },
        "");
}

}  // namespace vektool
