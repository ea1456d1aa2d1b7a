#include "support/GovernorLine.hpp"

#include <cstdlib>

namespace vektest {

// Nothing runs in this process: vekgov serves the line from outside.
struct GovernorLine::Server {};

namespace {

const char* VariableOf(LineKind kind) {
    return kind == LineKind::CutSyncReply ? "VEK_TEST_PORT_CUT_SYNC" : "VEK_TEST_PORT";
}

}  // namespace

GovernorLine::GovernorLine(LineKind kind) {
    const char* variable = VariableOf(kind);
    const char* port = std::getenv(variable);
    if (!port || !*port) {
        unavailable_ = std::string("needs a COM port linked to vekgov in ") + variable +
                       " (run the Windows tests through tests/wine/run-tests)";
        return;
    }
    for (const char* c = port; *c; ++c) portName_ += static_cast<char16_t>(static_cast<unsigned char>(*c));
}

GovernorLine::~GovernorLine() = default;

}  // namespace vektest
