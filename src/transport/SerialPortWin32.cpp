// The serial port over a Windows COM port with synchronous (non-overlapped)
// reads and writes; the port's own time-outs bound every call.
#include "transport/SerialDevice.hpp"

#include <windows.h>

namespace vek::serial_device {

namespace {

// Received character, transmit queue empty, CTS, DSR, RLSD, break, line error, ring.
constexpr DWORD kEventMask = EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;
static_assert(kEventMask == 0x1FD, "the port listens to these eight events");
constexpr DWORD kQueueSize = 1024;  // bytes, input and output alike
constexpr std::size_t kPathCapacity = 260;  // 259 characters and the terminator
constexpr DWORD kAllPurgeFlags = PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR;

HANDLE Handle(PortHandle handle) { return reinterpret_cast<HANDLE>(handle); }

PortStatus FromComStat(const COMSTAT& stat) {
    PortStatus status;
    status.ctsHold = stat.fCtsHold;
    status.dsrHold = stat.fDsrHold;
    status.rlsdHold = stat.fRlsdHold;
    status.xoffHold = stat.fXoffHold;
    status.xoffSent = stat.fXoffSent;
    status.eof = stat.fEof;
    status.txim = stat.fTxim;
    status.reserved = stat.fReserved;
    status.inQueue = stat.cbInQue;
    status.outQueue = stat.cbOutQue;
    return status;
}

}  // namespace

Text DevicePath(TextView portName) {
    // COM3 becomes \\.\COM3, which also reaches ports above COM9; a name
    // that already starts with two backslashes is a device path.
    if (portName.size() >= 2 && portName[0] == u'\\' && portName[1] == u'\\') return Text(portName);
    Char path[kPathCapacity];
    Format(path, kPathCapacity, u"%s.\\%s", u"\\\\", portName);
    return path;
}

bool Open(const Char* portName, PortHandle& handle) {
    const Text path = DevicePath(portName);
    const HANDLE port = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ | GENERIC_WRITE,
                                    0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle = reinterpret_cast<PortHandle>(port);
    return port != INVALID_HANDLE_VALUE;
}

// A port that another program has open cannot be shared.
bool InUse(int systemErrorCode) { return systemErrorCode == ERROR_ACCESS_DENIED; }

bool Close(PortHandle handle) { return CloseHandle(Handle(handle)) != 0; }

bool SupportsRate(uint32_t rate) { return rate > 0; }

bool ApplyLineSettings(PortHandle handle, uint32_t rate) {
    DCB settings{};  // from nothing: every flag and special character 0
    settings.DCBlength = sizeof settings;
    settings.BaudRate = rate;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fRtsControl = RTS_CONTROL_DISABLE;
    return SetCommState(Handle(handle), &settings) != 0;
}

bool ReadRate(PortHandle handle, uint32_t& rate) {
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (!GetCommState(Handle(handle), &settings)) return false;
    rate = settings.BaudRate;
    return true;
}

bool WriteRate(PortHandle handle, uint32_t rate) {
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (!GetCommState(Handle(handle), &settings)) return false;
    settings.BaudRate = rate;
    return SetCommState(Handle(handle), &settings) != 0;
}

bool ApplyTimeouts(PortHandle handle, int32_t ms) {
    // One read call returns after at most ms with what has arrived; one
    // write call gives up after ms.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(ms);
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(ms);
    return SetCommTimeouts(Handle(handle), &timeouts) != 0;
}

bool SetEventMask(PortHandle handle) { return SetCommMask(Handle(handle), kEventMask) != 0; }

bool SetQueueSizes(PortHandle handle) { return SetupComm(Handle(handle), kQueueSize, kQueueSize) != 0; }

bool Write(PortHandle handle, const uint8_t* data, int32_t count, int32_t, int32_t& written) {
    DWORD done = 0;
    SetLastError(0);
    const BOOL ok = WriteFile(Handle(handle), data, static_cast<DWORD>(count), &done, nullptr);
    written = static_cast<int32_t>(done);
    return ok != 0;
}

ReadOutcome Read(PortHandle handle, uint8_t* buffer, int32_t count, int32_t) {
    ReadOutcome outcome;
    outcome.missing = count;
    DWORD got = 0;
    SetLastError(0);
    BOOL ok = ReadFile(Handle(handle), buffer, static_cast<DWORD>(count), &got, nullptr);
    outcome.missing -= static_cast<int32_t>(got);
    // More only while the driver holds bytes that the time-out cut off.
    while (ok && outcome.missing > 0) {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(Handle(handle), &errors, &stat) || stat.cbInQue == 0) break;
        ok = ReadFile(Handle(handle), buffer + (count - outcome.missing), static_cast<DWORD>(outcome.missing), &got,
                      nullptr);
        outcome.missing -= static_cast<int32_t>(got);
    }
    outcome.lastCallBytes = static_cast<int32_t>(got);
    outcome.lastCallSucceeded = ok != 0;
    return outcome;
}

PortStatus TakeStatus(PortHandle handle) {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(Handle(handle), &errors, &stat)) return PortStatus{};
    return FromComStat(stat);
}

void ClearErrors(PortHandle handle) {
    DWORD errors = 0;
    ClearCommError(Handle(handle), &errors, nullptr);
}

bool Purge(PortHandle handle) { return PurgeComm(Handle(handle), kAllPurgeFlags) != 0; }

void RaiseProcessPriority() { SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS); }

}  // namespace vek::serial_device
