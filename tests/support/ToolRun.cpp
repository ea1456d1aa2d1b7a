#include "support/ToolRun.hpp"

#include "support/TempDir.hpp"

#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

namespace vektest {

namespace {

// The folder of the tool's cache: XDG_CACHE_HOME and LOCALAPPDATA name it
// for every tool this process starts.
const TempDir& CacheHome() {
    static const TempDir home;
    static const bool set = [] {
#if defined(_WIN32)
        return _putenv_s("LOCALAPPDATA", home.path().string().c_str()) == 0;
#else
        return setenv("XDG_CACHE_HOME", home.path().c_str(), 1) == 0;
#endif
    }();
    (void)set;
    return home;
}

int ExitCodeOf(int status) {
#if defined(_WIN32)
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

ToolRun Run(const std::string& arguments, const std::string& errorRedirection) {
    ToolRun run;
    CacheHome();
#if defined(VEK_TOOL_PATH)
    const std::string command = std::string("\"") + VEK_TOOL_PATH + "\" " + arguments + " " + errorRedirection;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    run.status = pclose(pipe);
    run.exitCode = ExitCodeOf(run.status);
#else
    (void)arguments;
    (void)errorRedirection;
#endif
    return run;
}

}  // namespace

bool ToolBuilt() {
#if defined(VEK_TOOL_PATH)
    return true;
#else
    return false;
#endif
}

ToolRun RunTool(const std::string& arguments) { return Run(arguments, "2>&1"); }

ToolRun RunToolApart(const std::string& arguments) {
    const TempDir dir;
    const std::filesystem::path errors = dir / "stderr.txt";
    ToolRun run = Run(arguments, "2>\"" + errors.string() + "\"");
    run.errors = ReadFileBytes(errors);
    return run;
}

std::filesystem::path ToolCacheFolder() {
#if defined(_WIN32)
    return CacheHome().path() / "VekLib";
#else
    return CacheHome().path() / "veklib";
#endif
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
