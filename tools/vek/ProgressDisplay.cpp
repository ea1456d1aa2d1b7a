#include "ProgressDisplay.hpp"

#include "Output.hpp"
#include "Terminal.hpp"
#include "TextOut.hpp"

#include "VekLib.h"

#include <cstdint>

namespace vektool {

namespace {

constexpr unsigned kPerMille = 1000;
constexpr unsigned kPerMillePerPercent = 10;
constexpr unsigned kPerMillePerTenth = 100;
constexpr unsigned kBarWidth = 30;

void VEK_CALL OnProgress(void* user, const VekChar* text, uint16_t value) {
    static_cast<ProgressDisplay*>(user)->Show(ToUtf8(text, SIZE_MAX), value);
}

// Whether text ends in a share done, "(42%)".
bool HasShare(const std::string& text) {
    return text.size() > 3 && text.compare(text.size() - 2, 2, "%)") == 0 && text.rfind(" (") != std::string::npos;
}

// "Downloading parameters definition (42%)" -> "Downloading parameters definition"
std::string StageOf(const std::string& text) { return HasShare(text) ? text.substr(0, text.rfind(" (")) : text; }

}  // namespace

ProgressDisplay::ProgressDisplay()
    : shown_(ProgressWanted()), terminal_(IsTerminal(stderr)), previousUser_(VekGetUserData()) {
    VekSetUserData(this);
    VekSetCallback(VEK_CALLBACK_PROGRESS, reinterpret_cast<VekCallback>(OnProgress));
}

ProgressDisplay::~ProgressDisplay() {
    VekSetCallback(VEK_CALLBACK_PROGRESS, nullptr);
    VekSetUserData(previousUser_);
    if (drawnWidth_ > 0) std::fprintf(stderr, "\r%s\r", std::string(drawnWidth_, ' ').c_str());
    std::fflush(stderr);
}

void ProgressDisplay::Show(const std::string& text, unsigned perMille) {
    if (!shown_) return;
    const std::string stage = StageOf(text);
    if (stage != stage_) {
        stage_ = stage;
        lastTenth_ = -1;
    }
    const unsigned clamped = perMille > kPerMille ? kPerMille : perMille;
    if (terminal_) {
        if (!HasShare(text)) {
            Redraw(text);
            return;
        }
        const unsigned filled = clamped * kBarWidth / kPerMille;
        Redraw("[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] " +
               std::to_string(clamped / kPerMillePerPercent) + "% " + stage);
    } else if (!HasShare(text)) {
        std::fprintf(stderr, "%s\n", text.c_str());
    } else if (static_cast<int>(clamped / kPerMillePerTenth) != lastTenth_) {
        std::fprintf(stderr, "%s\n", text.c_str());
        lastTenth_ = static_cast<int>(clamped / kPerMillePerTenth);
    }
    std::fflush(stderr);
}

// Overwrites the line with blanks where the new one is shorter: no escape
// sequences, so that every console shows it alike.
void ProgressDisplay::Redraw(const std::string& line) {
    const std::size_t width = CharacterCount(line);
    const std::string padding(drawnWidth_ > width ? drawnWidth_ - width : 0, ' ');
    std::fprintf(stderr, "\r%s%s", line.c_str(), padding.c_str());
    std::fflush(stderr);
    drawnWidth_ = width;
}

}  // namespace vektool
