// The serial port stream: its process-wide state, the configuration string
// it reads, and the lines it logs when the port fails. The operating-system
// calls behind it live in SerialDevice.hpp.
#pragma once

#include "VekLib.h"
#include "text/Text.hpp"

#include <cstddef>
#include <cstdint>

namespace vek {

// An open port as the operating system knows it (a HANDLE or a file
// descriptor), kept as a number so that this header stays portable.
using PortHandle = std::intptr_t;
constexpr PortHandle kNoPort = -1;  // INVALID_HANDLE_VALUE and an invalid descriptor alike

constexpr std::size_t kPortNameCapacity = 50;    // 49 characters and the terminator
constexpr int32_t kDefaultPortTimeout = 1200;    // ms; also what a time-out of 0 means
constexpr uint32_t kWakeUpBaudRate = 300;        // the port opens at this rate
constexpr uint32_t kSynchronizeBaudRate = 9600;  // and synchronises at this one

struct SerialPortState {
    PortHandle handle = kNoPort;
    int32_t currentTimeout = kDefaultPortTimeout;
    int32_t logSystemErrors = 1;  // 0 silences the system error lines and the read/write lines
    Char portName[kPortNameCapacity] = {};
    int32_t baudRate = 0;
};

SerialPortState& SerialPort();

// The switch that the firmware restart wait turns off while the governor is
// expected to stay silent, and restores afterwards.
inline int32_t LogSystemErrors() { return SerialPort().logSystemErrors; }
inline void SetLogSystemErrors(int32_t on) { SerialPort().logSystemErrors = on; }

// "port,baud" split at its first comma: the port name (at most 49
// characters) and a decimal rate, leading blanks allowed. False when there
// is no comma, no number, a number out of range or a name too long to keep.
bool ParseSerialConfig(const Char* config, Char (&portName)[kPortNameCapacity], int32_t& baudRate);

// Puts the serial operations into the stream's slots.
void InstallSerialOperations(SerialStream& stream);

// The port's status after a failed exchange: the seven hold and state bits,
// the 25 reserved bits and the queue counts (0 where the platform has none).
struct PortStatus {
    bool ctsHold = false;
    bool dsrHold = false;
    bool rlsdHold = false;
    bool xoffHold = false;
    bool xoffSent = false;
    bool eof = false;
    bool txim = false;
    uint32_t reserved = 0;
    uint32_t inQueue = 0;
    uint32_t outQueue = 0;
};

// "Read stats: CtsHold 0, ..." or "Write stats: ..." for direction "Read" or "Write".
Text StatsLine(const Char* direction, const PortStatus& status);

// "Win32 [code] operation: text" with the system's text for the code, while
// LogSystemErrors is on. The line keeps its name on every platform.
void LogSystemError(const Char* operation, int code);
// The same for the calling thread's last system error.
void LogSystemError(const Char* operation);

}  // namespace vek
