// Every export runs its body through Guarded, so no exception crosses the C
// boundary into the caller's process: an exception thrown inside an export
// (std::bad_alloc above all) unwinds the export's scopes, which releases the
// communication lock and restores pushed time-outs, writes one log line and
// becomes the export's failure result. The library stays usable.
#pragma once

#include <type_traits>
#include <utility>

namespace vek {

// Logs "Out of memory in <export>" for std::bad_alloc, "Unexpected error in
// <export>: <what>" for anything else. Never throws.
void ReportExportException(const char* exportName) noexcept;

// body's result, or failure when body throws. For void bodies, call
// Guarded(__func__, body).
template <class Result, class Body>
Result Guarded(const char* exportName, Result failure, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        ReportExportException(exportName);
        return failure;
    }
}

template <class Body>
void Guarded(const char* exportName, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        ReportExportException(exportName);
    }
}

}  // namespace vek
