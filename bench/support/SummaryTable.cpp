#include "SummaryTable.hpp"

#include "CpuTime.hpp"

#include <algorithm>
#include <cstdio>

namespace vekbench {

namespace {

std::string Number(double value, const std::string& unit) {
    char text[64];
    const double magnitude = value < 0 ? -value : value;
    const char* format = magnitude >= 1e6 ? "%.4g" : magnitude >= 100 ? "%.0f" : magnitude >= 1 ? "%.3f" : "%.4f";
    std::snprintf(text, sizeof text, format, value);
    return unit.empty() ? text : std::string(text) + " " + unit;
}

std::string Ratio(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, ratio >= 100 ? "%.0f" : ratio >= 10 ? "%.1f" : "%.3f", ratio);
    return text;
}

}  // namespace

bool Goal::MetBy(double ratio) const {
    switch (kind) {
        case GoalKind::AtMost:
            return ratio <= limit;
        case GoalKind::Below:
            return ratio < limit;
        case GoalKind::AtLeast:
            return ratio >= limit;
    }
    return false;
}

std::string Goal::Text() const {
    const char* sign = kind == GoalKind::AtMost ? "<= " : kind == GoalKind::Below ? "< " : ">= ";
    return sign + Ratio(limit);
}

void SummaryTable::Add(const std::string& figure, double measured, double reference, const std::string& unit,
                       Goal goal) {
    const bool known = reference > 0;
    const double ratio = known ? measured / reference : 0;
    rows_.push_back({figure, Number(measured, unit), Number(reference, unit), known ? Ratio(ratio) : "-",
                     goal.Text(), known && goal.MetBy(ratio), LoadAverage()});
}

void SummaryTable::Fail(const std::string& figure, const std::string& reason) {
    rows_.push_back({figure, "failed: " + reason, "-", "-", "-", false, LoadAverage()});
}

void SummaryTable::Print() const {
    std::size_t widths[5] = {6, 8, 9, 5, 4};
    for (const Row& r : rows_) {
        widths[0] = std::max(widths[0], r.figure.size());
        widths[1] = std::max(widths[1], r.measured.size());
        widths[2] = std::max(widths[2], r.reference.size());
        widths[3] = std::max(widths[3], r.ratio.size());
        widths[4] = std::max(widths[4], r.goal.size());
    }
    const auto line = [&](const char* figure, const char* measured, const char* reference, const char* ratio,
                          const char* goal, const char* met, const char* load) {
        std::printf("| %-*s | %*s | %*s | %*s | %-*s | %-3s | %4s |\n", static_cast<int>(widths[0]), figure,
                    static_cast<int>(widths[1]), measured, static_cast<int>(widths[2]), reference,
                    static_cast<int>(widths[3]), ratio, static_cast<int>(widths[4]), goal, met, load);
    };
    line("figure", "measured", "reference", "ratio", "goal", "met", "load");
    std::printf("|%s|%s:|%s:|%s:|%s|-----|------|\n", std::string(widths[0] + 2, '-').c_str(),
                std::string(widths[1] + 1, '-').c_str(), std::string(widths[2] + 1, '-').c_str(),
                std::string(widths[3] + 1, '-').c_str(), std::string(widths[4] + 2, '-').c_str());
    for (const Row& r : rows_) {
        char load[16];
        std::snprintf(load, sizeof load, "%.2f", r.load);
        line(r.figure.c_str(), r.measured.c_str(), r.reference.c_str(), r.ratio.c_str(), r.goal.c_str(),
             r.met ? "yes" : "NO", load);
    }
}

bool SummaryTable::AllMet() const {
    return std::all_of(rows_.begin(), rows_.end(), [](const Row& r) { return r.met; });
}

}  // namespace vekbench
