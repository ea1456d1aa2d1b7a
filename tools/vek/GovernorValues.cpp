#include "GovernorValues.hpp"

#include "DefinitionKinds.hpp"
#include "ProgressDisplay.hpp"
#include "Session.hpp"

namespace vektool {

void ReadWritableValues(Session& session) {
    ProgressDisplay progress;
    session.Require("reading the governor's values", [] {
        for (const char* name : {"parameters", "functions", "curves"}) {
            if (KindNamed(name)->read() != kGroupReadSucceeded) return false;
        }
        return true;
    });
}

}  // namespace vektool
