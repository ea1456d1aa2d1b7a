// POSIX stand-ins for the Windows services the library uses.
#include "platform/Platform.hpp"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <langinfo.h>
#include <locale.h>
#include <pthread.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vek::platform {

namespace {

uint32_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

void SleepMilliseconds(uint32_t ms) {
    timespec remaining{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

DateTime FromTm(const std::tm& t) {
    return DateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

DateTime LocalDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return FromTm(t);
}

DateTime UtcDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    return FromTm(t);
}

pthread_mutex_t& MutexOf(ProcessMutex which) {
    // Made at first use and never destroyed, like the locks they stand for.
    static pthread_mutex_t* mutexes = [] {
        auto* made = new pthread_mutex_t[kProcessMutexCount];
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
        for (int i = 0; i < kProcessMutexCount; ++i) pthread_mutex_init(&made[i], &attributes);
        pthread_mutexattr_destroy(&attributes);
        return made;
    }();
    return mutexes[static_cast<int>(which)];
}

// strerror_r comes in two flavours: the XSI one fills the buffer and returns
// an error code, the GNU one returns the text.
[[maybe_unused]] const char* ErrorTextOf(int, const char* buffer) { return buffer; }
[[maybe_unused]] const char* ErrorTextOf(const char* text, const char*) { return text; }

}  // namespace

const Clock& SystemClock() {
    static const Clock clock{MonotonicMilliseconds, SleepMilliseconds, LocalDateTime, UtcDateTime};
    return clock;
}

void LockProcessMutex(ProcessMutex which) { pthread_mutex_lock(&MutexOf(which)); }
void UnlockProcessMutex(ProcessMutex which) { pthread_mutex_unlock(&MutexOf(which)); }

void ShowImportantError(const Char* text, const Char*) {
    // Without a desktop message box the text goes to standard error, once.
    const std::string line = "Important error: " + ToUtf8(text) + "\n";
    fputs(line.c_str(), stderr);
}

int LastSystemErrorCode() { return errno; }

Text SystemErrorText(int code) {
    char buffer[512];
    buffer[0] = 0;
    return FromUtf8(ErrorTextOf(strerror_r(code, buffer, sizeof buffer), buffer));
}

std::FILE* OpenFile(const Char* path, const char* mode) {
    return std::fopen(ToUtf8(path).c_str(), mode);
}

FileKind KindOfFile(const Char* path) {
    struct stat status {};
    if (stat(ToUtf8(path).c_str(), &status) != 0) return errno == ENOENT ? FileKind::Missing : FileKind::Other;
    return S_ISREG(status.st_mode) ? FileKind::Regular : FileKind::Other;
}

Text FinalPath(const Char* path) {
    std::error_code error;
    const std::filesystem::path final = std::filesystem::canonical(ToUtf8(path), error);
    return error ? Text(path) : FromUtf8(final.string());
}

std::FILE* CreateFileBeside(const Char* path, Text& created) {
    const std::string target = ToUtf8(path);
    struct stat status {};
    if (stat(target.c_str(), &status) != 0) return nullptr;
    std::string name = target + ".tmp-XXXXXX";
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) return nullptr;
    // mkstemp makes the file private; the new file keeps the rights of the one it replaces.
    fchmod(descriptor, status.st_mode & 07777);
    std::FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        const int error = errno;
        close(descriptor);
        unlink(name.c_str());
        errno = error;
        return nullptr;
    }
    created = FromUtf8(name);
    return file;
}

bool MoveIntoPlace(const Char* from, const Char* to) { return rename(ToUtf8(from).c_str(), ToUtf8(to).c_str()) == 0; }

bool RemoveFile(const Char* path) { return unlink(ToUtf8(path).c_str()) == 0; }

Text FullPath(const Char* path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(ToUtf8(path), error);
    if (error) return path;
    return FromUtf8(absolute.lexically_normal().string());
}

namespace {

// The environment's time locale (LC_ALL, LC_TIME or LANG) as an object of its
// own, so that the process's locale stays as it is; the "C" locale when the
// environment names none that is installed.
class TimeLocale {
public:
    TimeLocale() : locale_(newlocale(LC_TIME_MASK, "", locale_t{})) {
        if (!locale_) locale_ = newlocale(LC_TIME_MASK, "C", locale_t{});
    }
    ~TimeLocale() {
        if (locale_) freelocale(locale_);
    }
    TimeLocale(const TimeLocale&) = delete;
    TimeLocale& operator=(const TimeLocale&) = delete;

    std::string Item(nl_item item) const { return locale_ ? nl_langinfo_l(item, locale_) : ""; }

    std::string Format(const std::string& format, const DateTime& when) const;

private:
    locale_t locale_;
};

// Room for any date or time a locale writes.
constexpr std::size_t kDateTextCapacity = 256;

// 0 for Sunday, as struct tm counts (Sakamoto's method).
int DayOfWeek(int year, int month, int day) {
    static const int kMonthOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 1 || month > 12) return 0;
    if (month < 3) --year;
    return ((year + year / 4 - year / 100 + year / 400 + kMonthOffsets[month - 1] + day) % 7 + 7) % 7;
}

std::tm ToTm(const DateTime& when) {
    std::tm t{};
    t.tm_year = when.year - 1900;
    t.tm_mon = when.month - 1;
    t.tm_mday = when.day;
    t.tm_hour = when.hour;
    t.tm_min = when.minute;
    t.tm_sec = when.second;
    t.tm_wday = DayOfWeek(when.year, when.month, when.day);
    return t;
}

std::string TimeLocale::Format(const std::string& format, const DateTime& when) const {
    if (!locale_) return "";
    const std::tm t = ToTm(when);
    char text[kDateTextCapacity];
    const std::size_t length = strftime_l(text, sizeof text, format.c_str(), &t, locale_);
    return std::string(text, length);
}

// A locale's texts come in its own character set: UTF-8 nearly always, else
// an 8-bit set, taken as Latin-1.
Text LocaleText(const std::string& bytes) {
    const Text decoded = FromUtf8(bytes);
    return ToUtf8(decoded) == bytes ? decoded : Widen(bytes);
}

enum class DateOrder { MonthFirst, DayFirst, YearFirst };

// The order of day, month and year in the locale's short date format
// ("%m/%d/%y", "%d.%m.%Y", "%Y-%m-%d"), and the character after the day.
struct ShortDateShape {
    DateOrder order = DateOrder::MonthFirst;
    char afterDay = 0;
};

ShortDateShape ShapeOf(std::string_view format) {
    std::size_t day = std::string_view::npos, month = day, year = day;
    char afterDay = 0;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%') continue;
        const char conversion = format[++i];
        if (conversion == 'D') return {DateOrder::MonthFirst, '/'};
        if (conversion == 'F') return {DateOrder::YearFirst, 0};
        if ((conversion == 'd' || conversion == 'e') && day == std::string_view::npos) {
            day = i;
            afterDay = i + 1 < format.size() ? format[i + 1] : 0;
        }
        if ((conversion == 'm' || conversion == 'b' || conversion == 'B') && month == std::string_view::npos) month = i;
        if ((conversion == 'y' || conversion == 'Y') && year == std::string_view::npos) year = i;
    }
    if (year < day && year < month) return {DateOrder::YearFirst, afterDay};
    if (day < month) return {DateOrder::DayFirst, afterDay};
    return {DateOrder::MonthFirst, afterDay};
}

// The long date in the order of the short one, with the weekday and the
// month's name; the day is written without a leading zero.
std::string LongDateFormat(const ShortDateShape& shape, int day) {
    const std::string dayText = std::to_string(day);
    switch (shape.order) {
        case DateOrder::DayFirst: return "%A, " + dayText + (shape.afterDay == '.' ? ". " : " ") + "%B %Y";
        case DateOrder::YearFirst: return "%A, %Y %B " + dayText;
        case DateOrder::MonthFirst: break;
    }
    return "%A, %B " + dayText + ", %Y";
}

// The locale's time format when it is a 24-hour one, else hours, minutes and
// seconds with colons.
std::string Time24Format(const std::string& localeFormat) {
    const bool twentyFourHours = localeFormat.find("%H") != std::string::npos ||
                                 localeFormat.find("%T") != std::string::npos;
    const bool twelveHours = localeFormat.find("%I") != std::string::npos ||
                             localeFormat.find("%p") != std::string::npos ||
                             localeFormat.find("%r") != std::string::npos;
    return twentyFourHours && !twelveHours ? localeFormat : "%H:%M:%S";
}

}  // namespace

Text LongDate(const DateTime& date) {
    const TimeLocale locale;
    return LocaleText(locale.Format(LongDateFormat(ShapeOf(locale.Item(D_FMT)), date.day), date));
}

Text Time24(const DateTime& time) {
    const TimeLocale locale;
    return LocaleText(locale.Format(Time24Format(locale.Item(T_FMT)), time));
}

}  // namespace vek::platform
