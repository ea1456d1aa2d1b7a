#include "Terminal.hpp"

#include <cctype>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vektool {

bool IsTerminal(std::FILE* stream) {
#if defined(_WIN32)
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

bool AskYesNo(const std::string& question) {
    std::fprintf(stderr, "%s [y/N] ", question.c_str());
    std::fflush(stderr);
    std::string answer;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
        if (c != '\r') answer += static_cast<char>(std::tolower(c));
    }
    return answer == "y" || answer == "yes";
}

}  // namespace vektool
