#include "WatchTable.hpp"

#include "Terminal.hpp"
#include "TextOut.hpp"

#include <algorithm>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#endif

namespace vektool {

namespace {

constexpr const char* kStampLabel = "Stamp";
constexpr const char* kStampUnit = "ms";
constexpr const char* kClearLine = "\r\x1b[2K";

// Cursor movements need the console's escape sequence mode on Windows; where
// it cannot be had, the table falls back to one line per sample.
bool EnableCursorControl(std::FILE* out) {
#if defined(_WIN32)
    HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out)));
    DWORD mode = 0;
    return GetConsoleMode(console, &mode) && SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
    (void)out;
    return true;
#endif
}

std::string WithUnit(const std::string& text, const std::string& unit) {
    return unit.empty() ? text : text + " " + unit;
}

}  // namespace

WatchTable::WatchTable(std::vector<WatchedValue> columns, std::FILE* out)
    : columns_(std::move(columns)), out_(out), inPlace_(IsTerminal(out) && EnableCursorControl(out)) {
    nameWidth_ = CharacterCount(kStampLabel);
    for (const WatchedValue& column : columns_) nameWidth_ = std::max(nameWidth_, CharacterCount(column.name));
    if (inPlace_) return;
    std::fprintf(out_, "%s [%s]", kStampLabel, kStampUnit);
    for (const WatchedValue& column : columns_) {
        std::fprintf(out_, "\t%s", column.unit.empty() ? column.name.c_str()
                                                        : (column.name + " [" + column.unit + "]").c_str());
    }
    std::fprintf(out_, "\n");
}

void WatchTable::Show(uint32_t stamp, const std::vector<std::string>& texts) {
    if (inPlace_) {
        ShowInPlace(stamp, texts);
    } else {
        ShowLine(stamp, texts);
    }
    std::fflush(out_);
}

void WatchTable::ShowInPlace(uint32_t stamp, const std::vector<std::string>& texts) {
    // Back to the first row of the table drawn before.
    if (drawn_) std::fprintf(out_, "\x1b[%zuA", columns_.size() + 1);
    std::fprintf(out_, "%s%s  %s\n", kClearLine, PadLeft(kStampLabel, nameWidth_).c_str(),
                 WithUnit(std::to_string(stamp), kStampUnit).c_str());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        std::fprintf(out_, "%s%s  %s\n", kClearLine, PadLeft(columns_[i].name, nameWidth_).c_str(),
                     WithUnit(texts[i], columns_[i].unit).c_str());
    }
    drawn_ = true;
}

void WatchTable::ShowLine(uint32_t stamp, const std::vector<std::string>& texts) {
    std::fprintf(out_, "%u", stamp);
    for (const std::string& text : texts) std::fprintf(out_, "\t%s", text.c_str());
    std::fprintf(out_, "\n");
}

}  // namespace vektool
