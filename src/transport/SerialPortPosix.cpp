// The serial port over a POSIX terminal device: raw mode, 8N1, no flow
// control, DTR and RTS dropped, exclusive use. Reads and writes wait in
// poll() for at most the current time-out.
#include "transport/SerialDevice.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vek::serial_device {

namespace {

struct Speed {
    uint32_t rate;
    speed_t code;
};

// The rates a terminal device can be set to through termios.
constexpr Speed kSpeeds[] = {
    {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
};

const Speed* FindRate(uint32_t rate) {
    for (const Speed& speed : kSpeeds) {
        if (speed.rate == rate) return &speed;
    }
    return nullptr;
}

const Speed* FindCode(speed_t code) {
    for (const Speed& speed : kSpeeds) {
        if (speed.code == code) return &speed;
    }
    return nullptr;
}

int Descriptor(PortHandle handle) { return static_cast<int>(handle); }

// Bytes read from the device ahead of the caller. One read() takes all that
// has arrived, so a reply's length word and its block cost one system call
// instead of one each. The bytes belong to the port as if still queued in
// the device: closing or purging the port discards them.
struct ReceiveBuffer {
    std::array<uint8_t, 4096> bytes{};
    size_t begin = 0;
    size_t end = 0;

    size_t Size() const { return end - begin; }
    void Clear() { begin = end = 0; }
    // Moves up to count buffered bytes to target; returns how many.
    size_t TakeInto(uint8_t* target, size_t count) {
        const size_t n = std::min(count, Size());
        std::memcpy(target, bytes.data() + begin, n);
        begin += n;
        return n;
    }
};

// What the one open port keeps beside its descriptor: the bytes read ahead
// of the caller, and the rate it runs at (0 while not known).
struct PortState {
    ReceiveBuffer received;
    uint32_t rate = 0;
};

PortState& Port() {
    static PortState state;
    return state;
}

bool SetSpeed(termios& settings, uint32_t rate) {
    const Speed* speed = FindRate(rate);
    if (!speed) {
        errno = EINVAL;
        return false;
    }
    return cfsetispeed(&settings, speed->code) == 0 && cfsetospeed(&settings, speed->code) == 0;
}

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, rounded up so that a wait never
// ends before it; 0 once it has passed.
int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

// Waits until the descriptor is ready for events or the deadline passes.
// Bytes still readable are taken even after a hang-up; a hang-up or an error
// without them means that nothing more will come: false, as for a system
// failure.
bool WaitFor(int fd, short events, Clock::time_point deadline, bool& ready) {
    ready = false;
    for (;;) {
        pollfd entry{fd, events, 0};
        const int result = poll(&entry, 1, RemainingMs(deadline));
        if (result < 0 && errno == EINTR) continue;
        if (result < 0) return false;
        if (result == 0) return true;
        if (!(entry.revents & events) && (entry.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            errno = (entry.revents & POLLNVAL) ? EBADF : EIO;
            return false;
        }
        ready = true;
        return true;
    }
}

constexpr uint32_t kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
// Waits shorter than this are left to poll().
constexpr std::chrono::milliseconds kShortestWireWait{2};
// The wait ends this long before the last missing byte is due, so that
// poll() takes the final bytes as they come.
constexpr std::chrono::milliseconds kWakeBeforeDue{1};

// Part of a reply has come; the rest cannot be there before the wire has
// carried it. Sleeping through that time, instead of waking up for every
// few bytes that trickle in, keeps the waiting thread idle.
void WaitForWire(int32_t missing, Clock::time_point deadline) {
    const uint32_t rate = Port().rate;
    if (rate == 0) return;
    const std::chrono::duration<double> wire(static_cast<double>(missing) * kBitsPerByte / rate);
    const Clock::time_point until =
        std::min(Clock::now() + std::chrono::duration_cast<Clock::duration>(wire) - kWakeBeforeDue, deadline);
    if (until - Clock::now() >= kShortestWireWait) std::this_thread::sleep_until(until);
}

}  // namespace

Text DevicePath(TextView portName) {
    // A bare name such as ttyS0 is a device in /dev.
    if (!portName.empty() && portName[0] == u'/') return Text(portName);
    return Text(u"/dev/") + Text(portName);
}

bool Open(const Char* portName, PortHandle& handle) {
    handle = kNoPort;
    const std::string path = ToUtf8(DevicePath(portName));
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    // Two marks keep other programs off the port: the terminal's exclusive
    // mode, which a process of the superuser passes, and the advisory lock on
    // the device that serial tools take by convention. A port that another
    // program holds is left at once, before a byte is sent.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        errno = EBUSY;
        return false;
    }
    // A port opened afresh starts with empty queues, whatever the device
    // received while nobody listened.
    if (ioctl(fd, TIOCEXCL) != 0 || tcflush(fd, TCIOFLUSH) != 0) {
        const int code = errno;
        ::close(fd);
        errno = code;
        return false;
    }
    handle = fd;
    Port().received.Clear();
    return true;
}

bool InUse(int systemErrorCode) { return systemErrorCode == EBUSY; }

bool Close(PortHandle handle) {
    Port() = PortState{};
    const int fd = Descriptor(handle);
    // The exclusive mark outlives the descriptor while another process holds
    // the device open; lift it so that the port can be opened again.
    ioctl(fd, TIOCNXCL);
    return ::close(fd) == 0;
}

bool SupportsRate(uint32_t rate) { return FindRate(rate) != nullptr; }

bool ApplyLineSettings(PortHandle handle, uint32_t rate) {
    termios settings{};  // from nothing: no echo, no line editing, no translation, no flow control
    settings.c_cflag = CS8 | CREAD | CLOCAL;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (!SetSpeed(settings, rate)) return false;
    if (tcsetattr(Descriptor(handle), TCSANOW, &settings) != 0) return false;
    Port().rate = rate;
    // Pseudo-terminals have no modem lines; there is nothing to drop then.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(Descriptor(handle), TIOCMBIC, &lines);
    errno = 0;
    return true;
}

bool ReadRate(PortHandle handle, uint32_t& rate) {
    termios settings{};
    if (tcgetattr(Descriptor(handle), &settings) != 0) return false;
    const Speed* speed = FindCode(cfgetospeed(&settings));
    rate = speed ? speed->rate : 0;
    return true;
}

bool WriteRate(PortHandle handle, uint32_t rate) {
    termios settings{};
    if (tcgetattr(Descriptor(handle), &settings) != 0) return false;
    if (!SetSpeed(settings, rate)) return false;
    // Bytes still on their way leave at the rate they were written with.
    if (tcsetattr(Descriptor(handle), TCSADRAIN, &settings) != 0) return false;
    Port().rate = rate;
    return true;
}

bool ApplyTimeouts(PortHandle handle, int32_t) {
    // Every read and write takes the current time-out itself; only the
    // descriptor must be valid.
    return fcntl(Descriptor(handle), F_GETFD) != -1;
}

bool SetEventMask(PortHandle) { return true; }
bool SetQueueSizes(PortHandle) { return true; }

bool Write(PortHandle handle, const uint8_t* data, int32_t count, int32_t timeoutMs, int32_t& written) {
    const int fd = Descriptor(handle);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    errno = 0;
    written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd, data + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += static_cast<int32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        bool ready = false;
        if (!WaitFor(fd, POLLOUT, deadline, ready)) return false;
        if (!ready) return true;  // timed out: the call itself succeeded with fewer bytes
    }
    return true;
}

ReadOutcome Read(PortHandle handle, uint8_t* buffer, int32_t count, int32_t timeoutMs) {
    const int fd = Descriptor(handle);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ReceiveBuffer& received = Port().received;
    ReadOutcome outcome;
    outcome.missing = count;
    // poll() passes over a negative descriptor silently; a closed port must fail.
    if (fd < 0) {
        errno = EBADF;
        return outcome;
    }
    errno = 0;
    while (outcome.missing > 0) {
        if (received.Size() > 0) {
            const auto n = static_cast<int32_t>(
                received.TakeInto(buffer + (count - outcome.missing), static_cast<size_t>(outcome.missing)));
            outcome.lastCallBytes += n;
            outcome.missing -= n;
            continue;
        }
        if (outcome.lastCallBytes > 0) WaitForWire(outcome.missing, deadline);
        bool ready = false;
        if (!WaitFor(fd, POLLIN, deadline, ready)) return outcome;
        if (!ready) break;  // timed out with what has arrived
        const ssize_t n = ::read(fd, received.bytes.data(), received.bytes.size());
        if (n > 0) {
            received.begin = 0;
            received.end = static_cast<size_t>(n);
            continue;
        }
        // Readable but nothing to read is the end of the line (a hang-up);
        // a signal or a queue emptied meanwhile waits again.
        if (n == 0) {
            errno = EIO;
            return outcome;
        }
        if (errno != EINTR && errno != EAGAIN) return outcome;
    }
    errno = 0;
    outcome.lastCallSucceeded = true;
    return outcome;
}

PortStatus TakeStatus(PortHandle handle) {
    // No hold bits without flow control; only the queue counts are known.
    PortStatus status;
    int inQueue = 0;
    int outQueue = 0;
    if (ioctl(Descriptor(handle), TIOCINQ, &inQueue) == 0) {
        status.inQueue = static_cast<uint32_t>(inQueue) + static_cast<uint32_t>(Port().received.Size());
    }
    if (ioctl(Descriptor(handle), TIOCOUTQ, &outQueue) == 0) status.outQueue = static_cast<uint32_t>(outQueue);
    return status;
}

void ClearErrors(PortHandle) {}

bool Purge(PortHandle handle) {
    Port().received.Clear();
    return tcflush(Descriptor(handle), TCIOFLUSH) == 0;
}

void RaiseProcessPriority() {
    // Left alone: a higher priority needs privileges here, and poll() wakes
    // the reader as soon as a byte arrives.
}

}  // namespace vek::serial_device
