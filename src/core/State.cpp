#include "core/State.hpp"

#include "core/Report.hpp"

namespace vek {

namespace {

void VEK_CALL DoNothingIdle(void*) {}
int32_t VEK_CALL AnswerNo(void*, const VekChar*) { return 0; }

CoreState MakeLoadedState() {
    CoreState state;
    state.callbacks.idle = DoNothingIdle;
    state.callbacks.question = AnswerNo;
    state.callbacks.importantError = ShowImportantErrorBox;
    return state;
}

}  // namespace

CoreState& Core() {
    static CoreState state = MakeLoadedState();
    return state;
}

}  // namespace vek
