// The stream record and the calls through which every other subsystem
// reaches its operations. The wrappers add no messages: the operations
// report their own failures.
#pragma once

#include "VekLib.h"
#include "text/Text.hpp"

#include <cstddef>
#include <cstdint>

namespace vek {

constexpr int32_t kDefaultResponseTimeout = 500;
constexpr int32_t kDefaultLongTimeout = 3000;
constexpr int32_t kDefaultStartupWait = 2000;
constexpr int32_t kDefaultEraseTimeout = 15000;
constexpr std::size_t kConfigCapacity = sizeof(SerialStream::Config) / sizeof(SerialStream::Config[0]);

struct TransportState {
    SerialStream stream{};
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

// The governor's wake-up at the start rate, for a port just opened: two zero
// bytes through the stream's Write, each after the opened notification and
// followed by a pause. Their results do not matter.
void WakeUpGovernor(SerialStream* stream);

// Hooks: the stream's translation of its own messages, the governor baud
// request (success when no hook is set), and the opened notification.
const Char* StreamTranslate(const Char* text);
bool StreamRequestBaudRate(uint32_t baud);
void StreamOpened();

// Another time-out for the length of a scope: each scope keeps the one it
// replaced and puts it back on every path, so scopes nest. Taken inside the
// communication lock, so that no other thread's exchange runs with it.
class TimeoutScope {
public:
    explicit TimeoutScope(int32_t ms) : replaced_(StreamGetTimeout()) { StreamSetTimeout(ms); }
    ~TimeoutScope() { StreamSetTimeout(replaced_); }
    TimeoutScope(const TimeoutScope&) = delete;
    TimeoutScope& operator=(const TimeoutScope&) = delete;

private:
    int32_t replaced_;
};

}  // namespace vek
