// The library's own account of what went wrong. The library writes a line to
// its log for every failure and reports some through the error callback; the
// tool keeps both, in the user's --log FILE or in a private file of the run,
// so that a failure can name its reason instead of pointing at a log.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vektool {

class LibraryLog {
public:
    // Sends the library's log to userFile, or (empty) to a private file that
    // is removed at the end of the run.
    explicit LibraryLog(const std::string& userFile);
    ~LibraryLog();
    LibraryLog(const LibraryLog&) = delete;
    LibraryLog& operator=(const LibraryLog&) = delete;

    // An operation starts: what was logged before is no reason for its failure.
    void Mark();
    // The messages logged since the last Mark, without their time stamps, as UTF-8.
    std::vector<std::string> LinesSinceMark() const;
    // Why the operation since the last Mark failed: the last error the
    // library reported, else the last line it logged; empty when it said nothing.
    std::string Reason() const;
    // An error the library reported through its callback.
    void AddReportedError(std::string text) { errors_.push_back(std::move(text)); }

    // The file the library logs into, and whether it is the run's private one.
    const std::string& Path() const { return path_; }
    bool IsPrivate() const { return privateFile_; }

private:
    std::string path_;
    bool privateFile_;
    uint64_t mark_ = 0;
    std::vector<std::string> errors_;  // reported through the error callback since the mark
};

}  // namespace vektool
