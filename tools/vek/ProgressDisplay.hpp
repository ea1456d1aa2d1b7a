// Shows the library's progress reports on standard error while an operation
// runs. On a terminal it is one line redrawn in place: a bar with the
// percentage and the operation's name for texts that end in "(N%)", the text
// alone for the others; the line is cleared when the operation ends.
// Elsewhere (with --progress) a text with "(N%)" gets one line per tenth and
// every other text a line. Without a terminal or --progress, and with
// --quiet, nothing is shown.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace vektool {

class ProgressDisplay {
public:
    // Installs itself as the library's progress callback until destroyed.
    ProgressDisplay();
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    void Show(const std::string& text, unsigned perMille);

private:
    void Redraw(const std::string& line);

    bool shown_;
    bool terminal_;
    std::size_t drawnWidth_ = 0;  // characters of the line drawn in place
    std::string stage_;           // the text without its "(N%)"
    int lastTenth_ = -1;          // plain lines: the tenth last printed
    void* previousUser_;
};

}  // namespace vektool
