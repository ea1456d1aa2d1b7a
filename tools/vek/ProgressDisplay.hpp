// Shows the library's progress reports while a command runs: a bar redrawn
// in place on a terminal, plain lines (one per tenth) otherwise; a text
// without "(N%)" is a stage of its own and gets one line.
#pragma once

#include <cstdio>
#include <string>

namespace vektool {

class ProgressDisplay {
public:
    // Installs itself as the library's progress callback until destroyed.
    explicit ProgressDisplay(std::FILE* out = stdout);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    void Show(const std::string& text, unsigned perMille);

private:
    void Finish();

    std::FILE* out_;
    bool terminal_;
    bool barOpen_ = false;        // a bar is drawn on the current terminal line
    std::string stage_;           // the text without its "(N%)"
    int lastTenth_ = -1;          // plain lines: the tenth last printed
    void* previousUser_;
};

}  // namespace vektool
