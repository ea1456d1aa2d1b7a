// vek page [N]: show the governor's active parameter page, or activate page N.
#include "Command.hpp"
#include "Session.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vektool {

namespace {

uint16_t ParsePage(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != 0 || errno == ERANGE || value > UINT16_MAX) {
        throw ToolError("invalid page '" + text + "' (0 to 65535)");
    }
    return static_cast<uint16_t>(value);
}

}  // namespace

int RunPage(Session& session, const Arguments& arguments) {
    if (arguments.size() > 1) throw ToolError("page takes at most one page number");
    const bool activate = arguments.size() == 1;
    const uint16_t page = activate ? ParsePage(arguments.front()) : 0;
    session.Connect();
    if (!VekParamPagesFeatureAvailable()) {
        if (activate) throw ToolError("the " + session.Describe() + " has no parameter pages");
        std::printf("The %s has no parameter pages\n", session.Describe().c_str());
        return 0;
    }
    if (activate && !VekActivateParamPage(page)) {
        throw ToolError("activating page " + std::to_string(page) + " failed (see --log FILE)");
    }
    int32_t active = 0;
    if (!VekGetActiveParamPage(&active)) throw ToolError("the active page could not be read (see --log FILE)");
    std::printf("Active parameter page: %d\n", active);
    return 0;
}

}  // namespace vektool
