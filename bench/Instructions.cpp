// Instruction counts under callgrind, through the bench/callgrind script.
// They do not depend on the machine's load, so they stand against fixed
// budgets: about one and a half times the counts when the budgets were set,
// a bar that a needless copy or a per-byte detour in the hot path crosses.
#include "Sections.hpp"

#include <cstdio>
#include <map>
#include <string>

namespace vekbench {

namespace {

constexpr Goal kWithinBudget{GoalKind::AtMost, 1.0};

struct Budget {
    const char* name;  // as the script prints it
    const char* figure;
    double instructions;
};
constexpr Budget kBudgets[] = {
    {"exchange", "raw value exchange: instructions / budget", 2500},
    {"save-line", "parameter file line saved: instructions / budget", 9000},
    {"load-line", "parameter file line loaded: instructions / budget", 9000},
};

}  // namespace

void MeasureInstructions(SummaryTable& table) {
    const std::string command = std::string("\"") + VEK_CALLGRIND_SCRIPT + "\" \"" + VEK_CALLGRIND_PROBE + "\"";
    FILE* script = popen(command.c_str(), "r");
    std::map<std::string, double> counts;
    char name[32];
    double count = 0;
    while (script && std::fscanf(script, "%31s %lf", name, &count) == 2) counts[name] = count;
    const int status = script ? pclose(script) : -1;
    for (const Budget& budget : kBudgets) {
        if (status != 0 || !counts.count(budget.name)) {
            table.Fail(budget.figure, "bench/callgrind did not run (is valgrind installed?)");
        } else {
            table.Add(budget.figure, counts[budget.name], budget.instructions, "Ir", kWithinBudget);
        }
    }
}

}  // namespace vekbench
