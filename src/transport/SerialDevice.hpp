// The operating-system calls under the serial port, one implementation per
// platform (SerialPortWin32.cpp, SerialPortPosix.cpp). None of them logs:
// each returns false on failure and leaves the system's error code for the
// caller's error line.
#pragma once

#include "transport/SerialPort.hpp"

#include <cstdint>

namespace vek::serial_device {

// The path the port name stands for.
Text DevicePath(TextView portName);

// Opens the existing device for reading and writing, shared with nobody.
bool Open(const Char* portName, PortHandle& handle);
bool Close(PortHandle handle);
// Whether the system's code of a failed Open says that another program has the port.
bool InUse(int systemErrorCode);

// Whether the port can run at the rate at all.
bool SupportsRate(uint32_t rate);
// The whole line set up from nothing: the rate, 8 data bits, no parity, one
// stop bit, no flow control of any kind, DTR and RTS off, bytes passed as
// they are.
bool ApplyLineSettings(PortHandle handle, uint32_t rate);
bool ReadRate(PortHandle handle, uint32_t& rate);
// Changes the rate only, keeping every other setting.
bool WriteRate(PortHandle handle, uint32_t rate);

// Makes every later read and write give up after ms.
bool ApplyTimeouts(PortHandle handle, int32_t ms);
bool SetEventMask(PortHandle handle);
bool SetQueueSizes(PortHandle handle);

// One write of count bytes, giving up after timeoutMs; written tells how
// many went out. (Where the port keeps its own time-outs, ApplyTimeouts has
// set them already and timeoutMs is the same value.)
bool Write(PortHandle handle, const uint8_t* data, int32_t count, int32_t timeoutMs, int32_t& written);

struct ReadOutcome {
    int32_t lastCallBytes = 0;  // what the last read call delivered
    int32_t missing = 0;        // bytes still missing at the end
    bool lastCallSucceeded = false;
};
// Reads count bytes, waiting at most timeoutMs for what has not arrived yet.
ReadOutcome Read(PortHandle handle, uint8_t* buffer, int32_t count, int32_t timeoutMs);

// Reads the port's status and clears its error state.
PortStatus TakeStatus(PortHandle handle);
void ClearErrors(PortHandle handle);
// Discards both queues, aborting pending reads and writes.
bool Purge(PortHandle handle);

// Raises the priority class of the whole process where the platform allows it.
void RaiseProcessPriority();

}  // namespace vek::serial_device
