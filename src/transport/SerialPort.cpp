// The serial port stream operations: open with the governor's wake-up,
// synchronous reads and writes with their error lines, time-outs and the
// move to the configured rate. The system calls are in SerialDevice.hpp.
#include "transport/SerialPort.hpp"

#include "core/Report.hpp"
#include "platform/Platform.hpp"
#include "transport/SerialDevice.hpp"
#include "transport/Stream.hpp"

namespace vek {

namespace {

namespace device = serial_device;

bool PortIsOpen() { return SerialPort().handle != kNoPort; }

void LogSystemErrorIfSet(const Char* operation, int code) {
    if (code != 0) LogSystemError(operation, code);
}

int32_t VEK_CALL SerialSetTimeout(SerialStream*, int32_t ms) {
    if (ms == 0) ms = kDefaultPortTimeout;
    SerialPort().currentTimeout = ms;
    if (device::ApplyTimeouts(SerialPort().handle, ms)) return 1;
    LogSystemError(u"SetCommTimeouts");
    return 0;
}

int32_t VEK_CALL SerialGetTimeout(SerialStream*) { return SerialPort().currentTimeout; }

// Opens the device at rate with the whole line set up afresh. A handle
// opened here stays open when a later step fails; the next Open or Close
// closes it.
bool PortOpen(const Char* name, uint32_t rate) {
    device::RaiseProcessPriority();
    if (!device::Open(name, SerialPort().handle)) {
        const int code = platform::LastSystemErrorCode();
        LogSystemError(u"CreateFile", code);
        if (device::InUse(code)) LogMessage(StreamTranslate(u"The serial port %s is in use by another program"), name);
        return false;
    }
    if (!device::ApplyLineSettings(SerialPort().handle, rate)) {
        const int code = platform::LastSystemErrorCode();
        LogSystemError(u"SetCommState", code);
        LogSystemError(u"SerialConfigure", code);
        return false;
    }
    SerialSetTimeout(nullptr, kDefaultPortTimeout);
    if (!device::SetEventMask(SerialPort().handle)) {
        LogSystemError(u"SetCommMask");
        return false;
    }
    if (!device::SetQueueSizes(SerialPort().handle)) {
        LogSystemError(u"SetupComm");
        return false;
    }
    return true;
}

uint32_t PortRate() {
    uint32_t rate = 0;
    if (device::ReadRate(SerialPort().handle, rate)) return rate;
    LogSystemError(u"GetCommState");
    return 0;
}

// Reads the port's settings first: a port that cannot report them is not
// changed at all.
bool SetPortRate(uint32_t rate) {
    uint32_t current = 0;
    if (!device::ReadRate(SerialPort().handle, current)) {
        LogSystemError(u"GetCommState");
        return false;
    }
    if (device::WriteRate(SerialPort().handle, rate)) return true;
    LogSystemError(u"SetCommState");
    return false;
}

int32_t VEK_CALL SerialWrite(SerialStream*, const uint8_t* data, int32_t count) {
    if (count == 0) return 1;
    const SerialPortState& port = SerialPort();
    int32_t written = 0;
    const bool sent = count > 0 && data && device::Write(port.handle, data, count, port.currentTimeout, written);
    if (sent && written == count) return 1;

    const int code = platform::LastSystemErrorCode();
    const PortStatus status = device::TakeStatus(port.handle);
    if (port.logSystemErrors) {
        LogSystemErrorIfSet(u"SerialWrite", code);
        LogMessage(u"Write error after %d msec (written %d bytes on , total sent %d expected)", port.currentTimeout,
                   written, count);
        LogSystemErrorIfSet(u"SerialWrite", code);
        LogLine(StatsLine(u"Write", status));
    }
    return 0;
}

int32_t VEK_CALL SerialRead(SerialStream*, uint8_t* buffer, int32_t count) {
    if (count == 0) return 1;
    const SerialPortState& port = SerialPort();
    device::ReadOutcome outcome;
    outcome.missing = count;
    if (count > 0 && buffer) outcome = device::Read(port.handle, buffer, count, port.currentTimeout);
    if (outcome.lastCallSucceeded && outcome.missing == 0) return 1;

    const int code = platform::LastSystemErrorCode();
    const PortStatus status = device::TakeStatus(port.handle);
    if (port.logSystemErrors) {
        LogSystemErrorIfSet(u"SerialRead", code);
        LogMessage(u"Read error after %d msec (received %d [B], expected %d [B], remained %d [B] and result %d)",
                   port.currentTimeout, outcome.lastCallBytes, count, outcome.missing,
                   outcome.lastCallSucceeded ? 1 : 0);
        LogSystemErrorIfSet(u"SerialRead", code);
        LogLine(StatsLine(u"Read", status));
    }
    device::ClearErrors(port.handle);
    return 0;
}

int32_t VEK_CALL SerialIsOpen(SerialStream*) { return PortIsOpen() ? 1 : 0; }

int32_t VEK_CALL SerialClose(SerialStream*) {
    if (!PortIsOpen()) return 0;
    const bool closed = device::Close(SerialPort().handle);
    SerialPort().handle = kNoPort;
    return closed ? 1 : 0;
}

int32_t VEK_CALL SerialConfigure(SerialStream*) { return 1; }

int32_t VEK_CALL SerialOpen(SerialStream* stream) {
    SerialPortState& port = SerialPort();
    stream->Context = port.portName;
    if (!ParseSerialConfig(FromApi(stream->Config), port.portName, port.baudRate)) {
        LogMessage(StreamTranslate(u"Failed to parse serial connection configuration string %s:"),
                   FromApi(stream->Config));
        return 0;
    }
    // Refused before anything reaches the line: the governor must not be
    // moved to a rate that the port cannot follow.
    if (port.baudRate <= 0 || !device::SupportsRate(static_cast<uint32_t>(port.baudRate))) {
        LogMessage(StreamTranslate(u"The serial port %s cannot run at %d bauds"), port.portName, port.baudRate);
        return 0;
    }
    SerialClose(stream);
    if (!PortOpen(port.portName, kWakeUpBaudRate)) {
        LogMessage(StreamTranslate(u"Failed to open port at 300 bauds"));
        return 0;
    }
    WakeUpGovernor(stream);
    if (!SetPortRate(kSynchronizeBaudRate)) {
        LogMessage(StreamTranslate(u"Failed to open port at 9600 bauds"));
        return 0;
    }
    return 1;
}

int32_t VEK_CALL SerialPurge(SerialStream*) { return device::Purge(SerialPort().handle) ? 1 : 0; }

int32_t VEK_CALL SerialChangeBaudRate(SerialStream* stream) {
    const int32_t rate = SerialPort().baudRate;
    if (PortRate() == static_cast<uint32_t>(rate)) return 1;
    if (!StreamRequestBaudRate(static_cast<uint32_t>(rate))) return 0;
    if (SetPortRate(static_cast<uint32_t>(rate))) {
        SerialPurge(stream);
        return 1;
    }
    LogMessage(StreamTranslate(u"Failed to change the serial baudrate to %d (%s):"), rate,
               FromApi(stream->Config));
    return 0;
}

}  // namespace

SerialPortState& SerialPort() {
    static SerialPortState state;
    return state;
}

void InstallSerialOperations(SerialStream& stream) {
    stream.Open = SerialOpen;
    stream.IsOpen = SerialIsOpen;
    stream.Close = SerialClose;
    stream.Configure = SerialConfigure;
    stream.Write = SerialWrite;
    stream.Read = SerialRead;
    stream.GetTimeout = SerialGetTimeout;
    stream.SetTimeout = SerialSetTimeout;
    stream.ChangeBaudRate = SerialChangeBaudRate;
    stream.Purge = SerialPurge;
}

Text StatsLine(const Char* direction, const PortStatus& s) {
    return Format(u"%s stats: CtsHold %d, DsrHold %d, RlsdHold %d, XoffHold %d, XoffSent %d, Eof %d, Txim %d, "
                  u"Reserved %d, cbInQue %d, cbOutQue %d",
                  direction, s.ctsHold ? 1 : 0, s.dsrHold ? 1 : 0, s.rlsdHold ? 1 : 0, s.xoffHold ? 1 : 0,
                  s.xoffSent ? 1 : 0, s.eof ? 1 : 0, s.txim ? 1 : 0, s.reserved, s.inQueue, s.outQueue);
}

void LogSystemError(const Char* operation, int code) {
    if (!SerialPort().logSystemErrors) return;
    LogMessage(u"Win32 [%i] %s: %s", code, operation, platform::SystemErrorText(code));
}

void LogSystemError(const Char* operation) { LogSystemError(operation, platform::LastSystemErrorCode()); }

}  // namespace vek
