// Reporting to the caller: translation, the log file and the callback slots.
// Every message is an English text that doubles as its translation key.
#pragma once

#include "text/Text.hpp"

#include <cstdint>

namespace vek {

constexpr std::size_t kTranslationCapacity = 512;
constexpr std::size_t kMessageCapacity = 1024;

// The translation of text, or text itself. buffer holds kTranslationCapacity
// characters and belongs to the caller.
const Char* TranslateText(const Char* text, Char* buffer);

// A translated text that owns its buffer: Translated t(u"Some message"); t.c_str().
class Translated {
public:
    explicit Translated(const Char* text) : text_(TranslateText(text, buffer_)) {}
    Translated(const Translated&) = delete;
    Translated& operator=(const Translated&) = delete;
    const Char* c_str() const { return text_; }
    operator TextView() const { return text_; }

private:
    Char buffer_[kTranslationCapacity];
    const Char* text_;
};

// Writes one already formatted message as a log line (time stamp, CR LF).
void LogLine(TextView message);
// The log goes to the file of this name from the next line on (empty: no
// log); an open log file is closed.
void SetLogFileName(TextView name);

// Formats a message (not translated) and writes it to the log file.
template <class... Args>
void LogMessage(TextView format, Args... args) {
    Char line[kMessageCapacity];
    Format(line, kMessageCapacity, format, args...);
    LogLine(line);
}

// Translates format first, then formats and logs it: the usual failure line.
template <class... Args>
void LogTranslated(const Char* format, Args... args) {
    Translated translated(format);
    LogMessage(translated, args...);
}

// The default important-error display (message box or standard error line).
int32_t VEK_CALL ShowImportantErrorBox(void* user, const VekChar* text);

// Callback slots. Each call translates the format, formats it and hands the
// text to the slot with the user data; an empty slot is skipped.
void CallIdle();
void ReportStatusText(const Char* text);
void ReportProgressText(const Char* text, uint16_t value);
void ReportFirmwareProgressText(const Char* text, uint16_t permille);
void ReportErrorText(const Char* text);
bool AskQuestionText(const Char* text);
void ReportImportantErrorText(const Char* text);

template <class... Args>
void ReportStatus(const Char* format, Args... args) {
    Translated translated(format);
    ReportStatusText(Format(TextView(translated), args...).c_str());
}
template <class... Args>
void ReportProgress(uint16_t value, const Char* format, Args... args) {
    Translated translated(format);
    ReportProgressText(Format(TextView(translated), args...).c_str(), value);
}
template <class... Args>
void ReportFirmwareProgress(uint16_t permille, const Char* format, Args... args) {
    Translated translated(format);
    ReportFirmwareProgressText(Format(TextView(translated), args...).c_str(), permille);
}
template <class... Args>
void ReportError(const Char* format, Args... args) {
    Translated translated(format);
    ReportErrorText(Format(TextView(translated), args...).c_str());
}
template <class... Args>
bool AskQuestion(const Char* format, Args... args) {
    Translated translated(format);
    return AskQuestionText(Format(TextView(translated), args...).c_str());
}
template <class... Args>
void ReportImportantError(const Char* format, Args... args) {
    Translated translated(format);
    ReportImportantErrorText(Format(TextView(translated), args...).c_str());
}

}  // namespace vek
