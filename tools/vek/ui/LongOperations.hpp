// What the page shows of an operation that takes a while: the library's
// progress texts, and the merge question the library asks during a
// parameter file load, which a page answers. The governor thread reports
// and asks; HTTP threads read and answer.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

namespace vektool::ui {

struct Progress {
    std::string operation;  // "Loading a parameter file"
    std::string text;       // the library's latest progress text
    unsigned permille = 0;
};

class LongOperations {
public:
    void Begin(const std::string& operation);
    void Report(const std::string& text, unsigned permille);
    // A stage without a share of its own ("Waiting for reset"): the bar stays.
    void Stage(const std::string& text);
    void End();
    std::optional<Progress> Current() const;

    // Governor thread: shows the question and waits for a page's answer
    // (no when the console stops).
    bool Ask(const std::string& question);
    // false when no question waits.
    bool Answer(bool yes);
    std::optional<std::string> Question() const;
    // Answers a waiting question no and refuses later ones.
    void Stop();

private:
    mutable std::mutex mutex_;
    std::condition_variable answered_;
    std::optional<Progress> current_;
    std::optional<std::string> question_;
    std::optional<bool> answer_;
    bool stopped_ = false;
};

}  // namespace vektool::ui
