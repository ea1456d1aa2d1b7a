// Translation, the log file and the calls into the callback slots.
#include "core/Report.hpp"

#include "core/State.hpp"
#include "platform/Platform.hpp"

#include <algorithm>
#include <cstdio>

namespace vek {

namespace {

// A log line holds at most this many characters, its line end included.
constexpr std::size_t kLogLineCapacity = 1023;

Text TimeStamp() {
    const platform::DateTime now = platform::LocalNow();
    return Format(u"%02d.%02d.%02d %02d:%02d:%02d: ", now.day, now.month, now.year % 100, now.hour,
                  now.minute, now.second);
}

// Holds the log's mutex: the file is opened once, and lines from several
// threads come out whole.
class LogLock {
public:
    LogLock() { platform::LockProcessMutex(platform::ProcessMutex::Log); }
    ~LogLock() { platform::UnlockProcessMutex(platform::ProcessMutex::Log); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;
};

bool EnsureLogFileOpen(CoreState& core) {
    if (core.logFile) return true;
    // Binary mode: the line ends are written as CR LF on every platform.
    core.logFile = platform::OpenFile(core.logFileName, "wb");
    return core.logFile != nullptr;
}

}  // namespace

const Char* TranslateText(const Char* text, Char* buffer) {
    buffer[0] = 0;
    const VekTranslateCallback translate = Core().callbacks.translate;
    if (!translate) return text;
    translate(Core().userData, ToApi(text), ToApi(buffer));
    buffer[kTranslationCapacity - 1] = 0;  // a callback that filled the buffer stays terminated
    return buffer[0] ? buffer : text;
}

void LogLine(TextView message) {
    CoreState& core = Core();
    LogLock lock;
    if (core.logFileName[0] == 0) return;

    Text line = TimeStamp();
    line.append(message.substr(0, kLogLineCapacity - 1 - std::min(line.size(), kLogLineCapacity - 1)));
    if (!EnsureLogFileOpen(core)) return;  // the line is lost; the next message tries again

    std::string bytes = Narrow(line);
    bytes += "\r\n";
    std::fwrite(bytes.data(), 1, bytes.size(), core.logFile);
    std::fflush(core.logFile);
}

void SetLogFileName(TextView name) {
    CoreState& core = Core();
    LogLock lock;
    CopyText(core.logFileName, kLogFileNameCapacity, name);
    if (core.logFile) {
        std::fclose(core.logFile);
        core.logFile = nullptr;
    }
}

int32_t VEK_CALL ShowImportantErrorBox(void*, const VekChar* text) {
    Translated caption(u"Important error");
    platform::ShowImportantError(FromApi(text), caption.c_str());
    return 0;
}

void CallIdle() {
    if (const auto idle = Core().callbacks.idle) idle(Core().userData);
}

void ReportStatusText(const Char* text) {
    if (const auto status = Core().callbacks.status) status(Core().userData, ToApi(text));
}

void ReportProgressText(const Char* text, uint16_t value) {
    if (const auto progress = Core().callbacks.progress) progress(Core().userData, ToApi(text), value);
}

void ReportFirmwareProgressText(const Char* text, uint16_t permille) {
    if (const auto progress = Core().callbacks.firmwareProgress) {
        progress(Core().userData, ToApi(text), permille);
    }
}

void ReportErrorText(const Char* text) {
    if (const auto error = Core().callbacks.error) error(Core().userData, ToApi(text));
}

bool AskQuestionText(const Char* text) {
    const auto question = Core().callbacks.question;
    return question && question(Core().userData, ToApi(text)) != 0;
}

void ReportImportantErrorText(const Char* text) {
    if (const auto important = Core().callbacks.importantError) important(Core().userData, ToApi(text));
}

}  // namespace vek
