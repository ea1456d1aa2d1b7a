// The library's log lines as the console shows them: the library writes its
// log to a file, and the governor thread reads what was added after each
// operation. Lines keep a running number so that pages ask only for newer
// ones; a line repeated at once (a sample loop's trace) is counted instead
// of kept again.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace vektool::ui {

struct LogLine {
    uint64_t id;       // given when the line first came
    uint64_t number;   // raised again by each repeat
    std::string text;  // UTF-8, without the time stamp
    uint64_t repeats;  // how often it came again right after itself
};

class LogTail {
public:
    // Reads the log file at path; ownFile: the console made it and may empty
    // it when it grows large (a user's --log file is left alone).
    LogTail(std::string path, bool ownFile);

    // The whole lines added since the last call, without their time stamps.
    // Governor thread only.
    std::vector<std::string> Poll();

    // Kept lines numbered above after, oldest first. Any thread.
    std::vector<LogLine> Since(uint64_t after) const;
    uint64_t LastNumber() const;

    const std::string& Path() const { return path_; }

private:
    void Keep(const std::string& text);
    void StartOverWhenLarge();

    std::string path_;
    bool ownFile_;
    uint64_t offset_ = 0;
    std::string partial_;  // a line the library has not ended yet
    mutable std::mutex mutex_;
    std::deque<LogLine> kept_;
    uint64_t lastNumber_ = 0;
};

// The reason the library gave for a failure: the last line it logged that
// is not a trace ("Reading raw value..."), or an empty text.
std::string ReasonIn(const std::vector<std::string>& lines);

}  // namespace vektool::ui
