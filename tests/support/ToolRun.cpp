#include "support/ToolRun.hpp"

#include <cstdio>

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#endif

namespace vektest {

bool ToolBuilt() {
#if defined(VEK_TOOL_PATH)
    return true;
#else
    return false;
#endif
}

ToolRun RunTool(const std::string& arguments) {
    ToolRun run;
#if defined(VEK_TOOL_PATH)
    const std::string command = std::string("\"") + VEK_TOOL_PATH + "\" " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    run.status = pclose(pipe);
#else
    (void)arguments;
#endif
    return run;
}

bool HasLine(const std::string& output, const std::string& line) {
    return output.find("\n" + line + "\n") != std::string::npos;
}

std::string LastLine(const std::string& output) {
    const std::size_t end = output.find_last_not_of('\n');
    const std::size_t start = output.rfind('\n', end);
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    return output.substr(from, end - from + 1);
}

}  // namespace vektest
