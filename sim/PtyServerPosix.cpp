#include "PtyServer.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vekgov {

namespace {

// Hosts wake the governor up with zero bytes at this rate.
constexpr uint32_t kWakeUpRate = 300;
constexpr uint32_t kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr size_t kReadChunk = 512;
constexpr size_t kPathCapacity = 128;
constexpr std::chrono::milliseconds kPaceSlice{2};
// How long before paced bytes are due a punctual line stops sleeping.
constexpr std::chrono::microseconds kAwakeBeforeDue{150};

// Break marks on a serial device (PARMRK): 0xFF 0x00 and the damaged byte;
// a data byte 0xFF comes doubled.
constexpr uint8_t kMarkByte = 0xFF;
enum MarkState { kNoMark = 0, kMarkStarted = 1, kMarkDamagedByteNext = 2 };

struct Speed {
    uint32_t rate;
    speed_t code;
};
constexpr Speed kSpeeds[] = {{300, B300},     {2400, B2400},   {4800, B4800},     {9600, B9600},
                             {19200, B19200}, {38400, B38400}, {57600, B57600},   {115200, B115200},
                             {230400, B230400}};

std::optional<speed_t> SpeedCode(uint32_t rate) {
    for (const Speed& s : kSpeeds) {
        if (s.rate == rate) return s.code;
    }
    return std::nullopt;
}

uint32_t RateOf(speed_t code) {
    for (const Speed& s : kSpeeds) {
        if (s.code == code) return s.rate;
    }
    return 0;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

bool SetSpeed(termios& settings, uint32_t rate) {
    const std::optional<speed_t> code = SpeedCode(rate);
    return code && cfsetispeed(&settings, *code) == 0 && cfsetospeed(&settings, *code) == 0;
}

std::chrono::nanoseconds ByteTime(uint32_t rate) {
    return std::chrono::nanoseconds(std::chrono::seconds(kBitsPerByte)) / std::max<uint32_t>(rate, 1);
}

void WaitUntil(std::chrono::steady_clock::time_point due, bool punctual) {
    if (!punctual) {
        std::this_thread::sleep_until(due);
        return;
    }
    if (due - std::chrono::steady_clock::now() > kAwakeBeforeDue) std::this_thread::sleep_until(due - kAwakeBeforeDue);
    while (std::chrono::steady_clock::now() < due) std::this_thread::yield();
}

bool AllZero(const uint8_t* bytes, size_t n) {
    return std::all_of(bytes, bytes + n, [](uint8_t b) { return b == 0; });
}

}  // namespace

std::unique_ptr<PtyServer> PtyServer::OpenPseudoTerminal(ProtocolEngine& engine, std::string& error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char path[kPathCapacity] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, path, sizeof path) != 0 ||
        fcntl(master, F_SETFL, O_NONBLOCK) != 0) {
        error = SystemError("cannot make a pseudo-terminal");
        if (master >= 0) close(master);
        return nullptr;
    }
    // Held open so that the line keeps its settings between hosts and the
    // first bytes never echo back before a host has set raw mode.
    const int peer = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (peer < 0 || tcgetattr(peer, &settings) != 0) {
        error = SystemError(std::string("cannot open ") + path);
        close(master);
        if (peer >= 0) close(peer);
        return nullptr;
    }
    cfmakeraw(&settings);
    SetSpeed(settings, dev::StartBaudRate);
    tcsetattr(peer, TCSANOW, &settings);
    return std::unique_ptr<PtyServer>(new PtyServer(engine, master, peer, path));
}

std::unique_ptr<PtyServer> PtyServer::OpenDevice(ProtocolEngine& engine, const std::string& path,
                                                 std::string& error) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError("cannot open " + path);
        return nullptr;
    }
    termios settings{};
    settings.c_cflag = CS8 | CREAD | CLOCAL;
    settings.c_iflag = INPCK | PARMRK;  // a break (the wake-up) arrives marked
    if (!SetSpeed(settings, dev::StartBaudRate) || tcsetattr(fd, TCSANOW, &settings) != 0) {
        error = SystemError("cannot set up " + path);
        close(fd);
        return nullptr;
    }
    tcflush(fd, TCIOFLUSH);
    return std::unique_ptr<PtyServer>(new PtyServer(engine, fd, -1, path));
}

PtyServer::PtyServer(ProtocolEngine& engine, int fd, int heldPeer, std::string path)
    : engine_(engine), fd_(fd), heldPeer_(heldPeer), path_(std::move(path)) {
    if (pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) stopPipe_[0] = stopPipe_[1] = -1;
}

PtyServer::~PtyServer() {
    for (int fd : {fd_, heldPeer_, stopPipe_[0], stopPipe_[1]}) {
        if (fd >= 0) close(fd);
    }
}

void PtyServer::Stop() {
    const char wake = 0;
    [[maybe_unused]] const ssize_t written = write(stopPipe_[1], &wake, 1);
}

bool PtyServer::Run(std::string& error) {
    if (stopPipe_[0] < 0) {
        error = "cannot make the stop pipe";
        return false;
    }
    for (;;) {
        pollfd watched[2] = {{fd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            error = SystemError("poll");
            return false;
        }
        if (watched[1].revents) return true;
        if (watched[0].revents & POLLIN) {
            if (!ServeInput(error)) return false;
        } else if (watched[0].revents) {
            error = path_ + " hung up";
            return false;
        }
    }
}

bool PtyServer::ServeInput(std::string& error) {
    uint8_t buffer[kReadChunk];
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    if (n <= 0) {
        error = n == 0 ? path_ + " hung up" : SystemError("read " + path_);
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    Receive(buffer, static_cast<size_t>(n));
    FlushLog();
    return true;
}

void PtyServer::Receive(const uint8_t* bytes, size_t n) {
    if (heldPeer_ >= 0) {
        // A pseudo-terminal passes bytes on unchanged; the rate the host set
        // tells how they were sent.
        const uint32_t rate = LineRate();
        if (rate != rateHeard_) {
            rateHeard_ = rate;
            engine_.Log().RateHeard(rate);
        }
        if (rate == kWakeUpRate && AllZero(bytes, n)) {
            WakeUp(bytes, n);
        } else {
            Deliver(bytes, n, rate);
        }
        return;
    }
    Bytes data;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = bytes[i];
        switch (markState_) {
            case kNoMark:
                if (b == kMarkByte) {
                    markState_ = kMarkStarted;
                } else {
                    data.push_back(b);
                }
                break;
            case kMarkStarted:
                markState_ = b == 0 ? kMarkDamagedByteNext : kNoMark;
                if (b != 0) data.push_back(b);  // a doubled 0xFF is one data byte
                break;
            case kMarkDamagedByteNext:
                markState_ = kNoMark;
                Deliver(data.data(), data.size(), LineRate());
                data.clear();
                // A zero byte held far too long is the host's slow wake-up.
                if (b == 0) {
                    WakeUp(&b, 1);
                } else {
                    engine_.Ignore(&b, 1, "framing error");
                }
                break;
        }
    }
    Deliver(data.data(), data.size(), LineRate());
}

void PtyServer::WakeUp(const uint8_t* bytes, size_t n) {
    engine_.Reset();
    engine_.Ignore(bytes, n, "wake-up");
    if (heldPeer_ < 0) FollowGovernorRate();
}

void PtyServer::Deliver(const uint8_t* bytes, size_t n, uint32_t rate) {
    if (n == 0) return;
    const uint32_t governorRate = engine_.Model().link.BaudRate();
    if (rate != governorRate) {
        const std::string reason = "sent at " + std::to_string(rate) + " baud, heard at " +
                                   std::to_string(governorRate);
        engine_.Ignore(bytes, n, reason.c_str());
        return;
    }
    const bool paced = pacing_.enabled && heldPeer_ >= 0;
    const uint32_t paceRate = pacing_.fixedRate ? pacing_.fixedRate : rate;
    // The request is complete when its last byte would have arrived; the
    // reply is timed from then, so that the simulator's own wake-ups do not
    // lengthen the line's schedule.
    if (paced) lineFreeAt_ = std::max(Clock::now(), lineFreeAt_) + ByteTime(paceRate) * n;
    engine_.Feed(bytes, n);
    SendReplies(paced ? paceRate : 0);
    if (heldPeer_ < 0) FollowGovernorRate();
}

bool PtyServer::SendReplies(uint32_t paceRate) {
    Bytes reply(engine_.Available());
    engine_.Take(reply.data(), reply.size());
    const auto byteTime = ByteTime(paceRate);
    const Clock::time_point start = paceRate != 0 ? lineFreeAt_ : Clock::now();
    size_t sent = 0;
    // Paced bytes go out in slices of a few milliseconds: each byte once its
    // stop bit is through, without waking up for every single one.
    const size_t slice = std::max<size_t>(1, static_cast<size_t>(kPaceSlice / byteTime));
    while (sent < reply.size()) {
        size_t due = reply.size();
        if (paceRate != 0) {
            const Clock::duration elapsed = std::max(Clock::now() - start, Clock::duration::zero());
            due = std::min(reply.size(), static_cast<size_t>(elapsed / byteTime));
            if (due == sent) {
                WaitUntil(start + byteTime * std::min(reply.size(), sent + slice), pacing_.punctual);
                continue;
            }
        }
        const ssize_t n = write(fd_, reply.data() + sent, due - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        // The host is not reading: wait for room, or give up when stopped.
        pollfd watched[2] = {{fd_, POLLOUT, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0 && errno != EINTR) return false;
        if (watched[1].revents) return false;
    }
    if (paceRate != 0) lineFreeAt_ = start + byteTime * reply.size();
    return true;
}

void PtyServer::FollowGovernorRate() {
    const uint32_t wanted = engine_.Model().link.BaudRate();
    termios settings{};
    if (LineRate() == wanted || tcgetattr(fd_, &settings) != 0) return;
    tcdrain(fd_);  // the reply leaves at the rate it was asked at
    if (SetSpeed(settings, wanted)) tcsetattr(fd_, TCSANOW, &settings);
}

uint32_t PtyServer::LineRate() const {
    termios settings{};
    if (tcgetattr(heldPeer_ >= 0 ? heldPeer_ : fd_, &settings) != 0) return 0;
    return RateOf(cfgetospeed(&settings));
}

void PtyServer::FlushLog() {
    if (!logSink_) return;
    for (const std::string& line : engine_.Log().Lines()) logSink_(line);
    engine_.Log().Clear();
}

}  // namespace vekgov
