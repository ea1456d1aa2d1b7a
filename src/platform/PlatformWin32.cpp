// The Windows services the library uses.
#include "platform/Platform.hpp"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <array>
#include <cwchar>
#include <string>

namespace vek::platform {

namespace {

DateTime FromSystemTime(const SYSTEMTIME& t) {
    return DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

uint32_t Ticks() { return GetTickCount(); }
void SleepMilliseconds(uint32_t ms) { ::Sleep(ms); }

DateTime LocalDateTime() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return FromSystemTime(t);
}

DateTime UtcDateTime() {
    SYSTEMTIME t;
    GetSystemTime(&t);
    return FromSystemTime(t);
}

HANDLE MutexOf(ProcessMutex which) {
    // Unnamed mutexes, made at first use (not owned) and never closed.
    static const std::array<HANDLE, kProcessMutexCount> mutexes = [] {
        std::array<HANDLE, kProcessMutexCount> made{};
        for (HANDLE& mutex : made) mutex = CreateMutexA(nullptr, FALSE, nullptr);
        return made;
    }();
    return mutexes[static_cast<int>(which)];
}

// Names tried for a new file beside another before giving up.
constexpr DWORD kCreateBesideAttempts = 100;

const wchar_t* Wide(const Char* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

const Clock& SystemClock() {
    static const Clock clock{Ticks, SleepMilliseconds, LocalDateTime, UtcDateTime};
    return clock;
}

void LockProcessMutex(ProcessMutex which) { WaitForSingleObject(MutexOf(which), INFINITE); }
void UnlockProcessMutex(ProcessMutex which) { ReleaseMutex(MutexOf(which)); }

void ShowImportantError(const Char* text, const Char* caption) {
    MessageBoxW(GetForegroundWindow(), Wide(text), Wide(caption), MB_ICONERROR);
}

int LastSystemErrorCode() { return static_cast<int>(GetLastError()); }

Text SystemErrorText(int code) {
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        buffer, sizeof buffer, nullptr);
    CharToOemBuffA(buffer, buffer, length);
    // The system's text ends with a line end: drop its last character, turn
    // tabs into blanks and remove the remaining line breaks.
    std::string cleaned;
    for (DWORD i = 0; i + 1 < length; ++i) {
        const char c = buffer[i];
        if (c == '\t') cleaned += ' ';
        else if (c != '\r' && c != '\n') cleaned += c;
    }
    return Widen(cleaned);
}

std::FILE* OpenFile(const Char* path, const char* mode) {
    wchar_t wideMode[8] = {};
    for (int i = 0; i < 7 && mode[i]; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
    return _wfopen(Wide(path), wideMode);
}

FileKind KindOfFile(const Char* path) {
    const DWORD attributes = GetFileAttributesW(Wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileKind::Missing : FileKind::Other;
    }
    return attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE) ? FileKind::Other : FileKind::Regular;
}

Text FinalPath(const Char* path) { return path; }

std::FILE* CreateFileBeside(const Char* path, Text& created) {
    // A name no other file has: the target's, a process- and time-bound tag
    // and a counter, made with CREATE_NEW so that no existing file is opened.
    const DWORD tag = GetCurrentProcessId() * 7919u + GetTickCount();
    for (DWORD attempt = 0; attempt < kCreateBesideAttempts; ++attempt) {
        wchar_t suffix[32];
        swprintf(suffix, 32, L".tmp-%08lx", static_cast<unsigned long>(tag + attempt));
        const std::wstring name = std::wstring(Wide(path)) + suffix;
        HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return nullptr;
        }
        const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        std::FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
        if (!file) {
            if (descriptor < 0) CloseHandle(handle);
            else _close(descriptor);
            DeleteFileW(name.c_str());
            return nullptr;
        }
        created.assign(reinterpret_cast<const Char*>(name.c_str()), name.size());
        return file;
    }
    return nullptr;
}

bool MoveIntoPlace(const Char* from, const Char* to) {
    return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveFile(const Char* path) { return DeleteFileW(Wide(path)) != 0; }

Text FullPath(const Char* path) {
    const DWORD needed = GetFullPathNameW(Wide(path), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(Wide(path), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    return Text(reinterpret_cast<const Char*>(full.c_str()), length);
}

namespace {

// Room for any date or time a locale writes.
constexpr int kDateTextCapacity = 256;

SYSTEMTIME ToSystemTime(const DateTime& when) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(when.year);
    t.wMonth = static_cast<WORD>(when.month);
    t.wDay = static_cast<WORD>(when.day);
    t.wHour = static_cast<WORD>(when.hour);
    t.wMinute = static_cast<WORD>(when.minute);
    t.wSecond = static_cast<WORD>(when.second);
    return t;  // the day of the week is worked out by the formatting functions
}

Text FromWide(const wchar_t* text, int written) {
    // written counts the terminator; 0 means the call failed.
    return written > 0 ? Text(reinterpret_cast<const Char*>(text), static_cast<std::size_t>(written - 1)) : Text();
}

}  // namespace

Text LongDate(const DateTime& date) {
    const SYSTEMTIME t = ToSystemTime(date);
    wchar_t text[kDateTextCapacity];
    return FromWide(text, GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &t, nullptr, text, kDateTextCapacity));
}

Text Time24(const DateTime& time) {
    const SYSTEMTIME t = ToSystemTime(time);
    wchar_t text[kDateTextCapacity];
    return FromWide(text, GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, &t,
                                         nullptr, text, kDateTextCapacity));
}

}  // namespace vek::platform
