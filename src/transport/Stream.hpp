// The stream record and the calls through which every other subsystem
// reaches its operations. The wrappers add no messages: the operations
// report their own failures.
#pragma once

#include "VekLib.h"
#include "text/Text.hpp"

#include <cstdint>

namespace vek {

constexpr int32_t kDefaultResponseTimeout = 500;
constexpr int32_t kDefaultLongTimeout = 3000;
constexpr int32_t kDefaultStartupWait = 2000;
constexpr int32_t kDefaultEraseTimeout = 15000;

struct TransportState {
    SerialStream stream{};
    int32_t savedTimeout = 0;  // one saved value of PushTimeout, not a stack
};

TransportState& Transport();
inline SerialStream& Stream() { return Transport().stream; }

// Installs the do-nothing operations and "N/A" (the state at load).
void InstallDoNothingStream(SerialStream& stream);

bool StreamOpen();
bool StreamIsOpen();
void StreamClose();
bool StreamConfigure();
bool StreamWrite(const uint8_t* data, int32_t count);
bool StreamRead(uint8_t* buffer, int32_t count);
int32_t StreamGetTimeout();
bool StreamSetTimeout(int32_t ms);
bool StreamChangeBaudRate();
bool StreamPurge();

// Hooks: the stream's translation of its own messages, the governor baud
// request (success when no hook is set), and the opened notification.
const Char* StreamTranslate(const Char* text);
bool StreamRequestBaudRate(uint32_t baud);
void StreamOpened();

// With save, remembers the current time-out first; then applies ms.
void PushTimeout(int32_t ms, bool save);
// Applies the remembered time-out.
void PopTimeout();

// A saving push for the length of a scope: the time-out is restored on every path.
class TimeoutScope {
public:
    explicit TimeoutScope(int32_t ms) { PushTimeout(ms, true); }
    ~TimeoutScope() { PopTimeout(); }
    TimeoutScope(const TimeoutScope&) = delete;
    TimeoutScope& operator=(const TimeoutScope&) = delete;
};

}  // namespace vek
