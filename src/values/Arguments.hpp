// Pointers that the caller must pass: a null one fails the export with one
// log line instead of a crash.
#pragma once

#include "core/Report.hpp"

namespace vek {

template <class... Pointers>
bool ArgumentsGiven(const Char* function, const Pointers*... pointers) {
    if (((pointers != nullptr) && ...)) return true;
    LogTranslated(u"%s: missing argument", function);
    return false;
}

}  // namespace vek
