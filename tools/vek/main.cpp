// vek: the governor service tool. The entry point only gathers the words of
// the command line as UTF-8: on Windows from the UTF-16 command line, with
// the console set to show UTF-8.
#include "CommandLine.hpp"
#include "TextOut.hpp"

#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

#if defined(_WIN32)
std::vector<std::string> CommandLineWords(int, char**) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> utf8;
    for (int i = 1; i < count; ++i) utf8.push_back(vektool::ToUtf8(words[i], SIZE_MAX));
    LocalFree(words);
    return utf8;
}

// Sets the console to UTF-8 for the run and back afterwards.
class Utf8Console {
public:
    Utf8Console() : previous_(GetConsoleOutputCP()) { SetConsoleOutputCP(CP_UTF8); }
    ~Utf8Console() { SetConsoleOutputCP(previous_); }

private:
    UINT previous_;
};
#else
std::vector<std::string> CommandLineWords(int argc, char** argv) { return {argv + 1, argv + argc}; }

// The POSIX terminal takes UTF-8 as it is.
struct Utf8Console {
    Utf8Console() {}
};
#endif

}  // namespace

int main(int argc, char** argv) {
    const Utf8Console console;
    return vektool::RunCommandLine(CommandLineWords(argc, argv));
}
