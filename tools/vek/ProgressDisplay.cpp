#include "ProgressDisplay.hpp"

#include "Terminal.hpp"
#include "TextOut.hpp"

#include "VekLib.h"

#include <cstdint>


namespace vektool {

namespace {

constexpr unsigned kPerMille = 1000;
constexpr unsigned kBarWidth = 30;

void VEK_CALL OnProgress(void* user, const VekChar* text, uint16_t value) {
    static_cast<ProgressDisplay*>(user)->Show(ToUtf8(text, SIZE_MAX), value);
}

// "Downloading parameters definition (42%)" -> "Downloading parameters definition"
std::string StageOf(const std::string& text) {
    const std::size_t open = text.rfind(" (");
    return open != std::string::npos && !text.empty() && text.back() == ')' ? text.substr(0, open) : text;
}

}  // namespace

ProgressDisplay::ProgressDisplay(std::FILE* out)
    : out_(out), terminal_(IsTerminal(out)), previousUser_(VekGetUserData()) {
    VekSetUserData(this);
    VekSetCallback(VEK_CALLBACK_PROGRESS, reinterpret_cast<VekCallback>(OnProgress));
}

ProgressDisplay::~ProgressDisplay() {
    VekSetCallback(VEK_CALLBACK_PROGRESS, nullptr);
    VekSetUserData(previousUser_);
    Finish();
}

void ProgressDisplay::Show(const std::string& text, unsigned perMille) {
    const std::string stage = StageOf(text);
    if (stage != stage_) {
        Finish();
        stage_ = stage;
        lastTenth_ = -1;
    }
    const unsigned clamped = perMille > kPerMille ? kPerMille : perMille;
    if (stage == text) {
        // A stage without a share done (its value means nothing): one line.
        std::fprintf(out_, "%s\n", text.c_str());
    } else if (terminal_) {
        const unsigned filled = clamped * kBarWidth / kPerMille;
        std::fprintf(out_, "\r[%s%s] %3u%% %s", std::string(filled, '#').c_str(),
                     std::string(kBarWidth - filled, '-').c_str(), clamped / 10, stage.c_str());
        barOpen_ = true;
    } else if (static_cast<int>(clamped / 100) != lastTenth_) {
        std::fprintf(out_, "%s\n", text.c_str());
        lastTenth_ = static_cast<int>(clamped / 100);
    }
    std::fflush(out_);
}

void ProgressDisplay::Finish() {
    if (barOpen_) std::fputc('\n', out_);
    barOpen_ = false;
}

}  // namespace vektool
