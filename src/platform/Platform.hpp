// The small layer that stands in for each operating-system service the
// library needs. One implementation file per platform (Win32, POSIX); the
// protocol code never tests the platform itself.
#pragma once

#include "text/Text.hpp"

#include <cstdint>
#include <cstdio>

namespace vek::platform {

struct DateTime {
    int year = 0;    // e.g. 2026
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Clock and sleep, replaceable by tests (SetClockForTesting); the library's
// own waits always go through these.
struct Clock {
    uint32_t (*tickCount)();          // milliseconds, monotonic, wraps at 2^32
    void (*sleep)(uint32_t ms);
    DateTime (*localNow)();
    DateTime (*utcNow)();
};
const Clock& SystemClock();
const Clock& CurrentClock();
void SetClockForTesting(const Clock* clock);  // null restores the system clock

inline uint32_t TickCount() { return CurrentClock().tickCount(); }
inline void SleepMs(uint32_t ms) { CurrentClock().sleep(ms); }
inline DateTime LocalNow() { return CurrentClock().localNow(); }
inline DateTime UtcNow() { return CurrentClock().utcNow(); }

// The process-wide recursive mutexes, made at first use and never destroyed:
// the one behind CommLock, and the one that keeps the log file and its
// lines whole when several threads log.
enum class ProcessMutex { Comm, Log };
constexpr int kProcessMutexCount = 2;
void LockProcessMutex(ProcessMutex which);
void UnlockProcessMutex(ProcessMutex which);

// The default important-error display: a message box on Windows, one line
// "Important error: <text>" on standard error elsewhere.
void ShowImportantError(const Char* text, const Char* caption);

// The calling thread's last system error code and the system's text for it,
// cleaned to one line (no tabs, no line ends).
int LastSystemErrorCode();
Text SystemErrorText(int code);

// Opens a file named by 16-bit text (UTF-8 on POSIX, the wide API on Windows).
std::FILE* OpenFile(const Char* path, const char* mode);

// What a file name names: nothing yet, a regular file (also through a
// symbolic link), or something else (a device, a pipe).
enum class FileKind { Missing, Regular, Other };
FileKind KindOfFile(const Char* path);

// The name of the file itself when path is a symbolic link (followed to its
// end), else path.
Text FinalPath(const Char* path);

// A new, empty file in the folder of path, with the access rights of path
// (which exists), open for binary writing; its name goes to created. Null
// when none could be made (LastSystemErrorCode tells why).
std::FILE* CreateFileBeside(const Char* path, Text& created);

// Puts the file from in the place of the file to, in one step.
bool MoveIntoPlace(const Char* from, const Char* to);

bool RemoveFile(const Char* path);

// The absolute form of a file name, joined to the current directory when it
// is relative; the file need not exist.
Text FullPath(const Char* path);

// A date as the user's locale writes it in full (weekday, day, month name and
// year), and a time of day in 24-hour form with the locale's separators. On
// POSIX the locale is the one the environment names for LC_TIME; the
// process's own locale is never changed.
Text LongDate(const DateTime& date);
Text Time24(const DateTime& time);

}  // namespace vek::platform
