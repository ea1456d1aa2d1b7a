#include "Output.hpp"

#include "Options.hpp"
#include "Terminal.hpp"

#include <cstdio>

namespace vektool {

namespace {

struct OutputSettings {
    bool quiet = false;
    bool progress = false;
    bool json = false;
};

OutputSettings& Settings() {
    static OutputSettings settings;
    return settings;
}

}  // namespace

void ConfigureOutput(const Options& options) { Settings() = {options.quiet, options.progress, options.json}; }

bool ProgressWanted() { return !Settings().quiet && (Settings().progress || IsTerminal(stderr)); }

bool JsonWanted() { return Settings().json; }

void PrintResult(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Note(const std::string& line) {
    if (Settings().quiet) return;
    std::fprintf(stderr, "%s\n", line.c_str());
}

void Warn(const std::string& line) { Note("vek: warning: " + line); }

}  // namespace vektool
