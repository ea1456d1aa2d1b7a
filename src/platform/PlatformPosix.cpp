// POSIX stand-ins for the Windows services the library uses.
#include "platform/Platform.hpp"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <string>

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

pthread_mutex_t& CommMutex() {
    // Made at first use and never destroyed, like the lock it stands for.
    static pthread_mutex_t* mutex = [] {
        auto* m = new pthread_mutex_t;
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
        pthread_mutex_init(m, &attributes);
        pthread_mutexattr_destroy(&attributes);
        return m;
    }();
    return *mutex;
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

void LockCommMutex() { pthread_mutex_lock(&CommMutex()); }
void UnlockCommMutex() { pthread_mutex_unlock(&CommMutex()); }

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

}  // namespace vek::platform
