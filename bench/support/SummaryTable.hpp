// The one table of vek_bench: every figure as measured / reference, with its
// goal, whether it was met and the load average when it was measured.
#pragma once

#include <string>
#include <vector>

namespace vekbench {

enum class GoalKind { AtMost, Below, AtLeast };

struct Goal {
    GoalKind kind;
    double limit;
    bool MetBy(double ratio) const;
    std::string Text() const;
};

class SummaryTable {
public:
    // measured and reference in the same unit (shown after both numbers);
    // a reference of 0 makes the ratio, and so the goal, fail.
    void Add(const std::string& figure, double measured, double reference, const std::string& unit, Goal goal);
    // A figure that could not be measured, with the reason.
    void Fail(const std::string& figure, const std::string& reason);

    void Print() const;
    bool AllMet() const;

private:
    struct Row {
        std::string figure;
        std::string measured;
        std::string reference;
        std::string ratio;
        std::string goal;
        bool met;
        double load;
    };
    std::vector<Row> rows_;
};

}  // namespace vekbench
