#include "core/ExportGuard.hpp"

#include "core/Report.hpp"

#include <exception>
#include <new>

namespace vek {

void ReportExportException(const char* exportName) noexcept {
    try {
        try {
            throw;
        } catch (const std::bad_alloc&) {
            LogTranslated(u"Out of memory in %s", exportName);
        } catch (const std::exception& e) {
            LogTranslated(u"Unexpected error in %s: %s", exportName, e.what());
        } catch (...) {
            LogTranslated(u"Unexpected error in %s", exportName);
        }
    } catch (...) {
        // Nothing is left to report with; the export still fails cleanly.
    }
}

}  // namespace vek
