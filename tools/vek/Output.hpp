// Where the tool's texts go: results on standard output, everything else
// (progress, notes, warnings, errors) on standard error, so that a pipe or a
// file receives the results alone.
#pragma once

#include <string>

namespace vektool {

struct Options;

// Takes --quiet, --progress and --json for the rest of the run.
void ConfigureOutput(const Options& options);

// Whether progress is shown: on a terminal, or anywhere with --progress;
// never with --quiet.
bool ProgressWanted();
bool JsonWanted();

// A result line on standard output.
void PrintResult(const std::string& line);
// A line for the user that is no result ("Loaded x into y" goes to
// PrintResult; "no terminal to answer on" comes here); silent with --quiet.
void Note(const std::string& line);
// "vek: warning: ..." on standard error; silent with --quiet.
void Warn(const std::string& line);

}  // namespace vektool
