// The simulated governor at the end of a terminal line: a new
// pseudo-terminal whose other side a host opens as its serial port, or a
// real serial device. It follows the host's rates as a governor does: a
// wake-up at the slow rate starts it afresh at the start rate, the rate
// request moves it, and bytes sent at any other rate than its own are lost.
//
// On a pseudo-terminal the host's rate is the one it set on its side; on a
// serial device the wake-up shows as a break, and the server moves its own
// port to the governor's rate after each reply.
#pragma once

#include "ProtocolEngine.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vekgov {

// Replies on a pseudo-terminal arrive at once unless they are paced: then
// every byte takes the wire time of 10 bits, and a request counts as
// received only when its last byte would have arrived.
struct Pacing {
    bool enabled = false;
    uint32_t fixedRate = 0;  // 0: the rate the host set on its side
    // Sleeps end late by the scheduler's wake-up latency (tens of
    // microseconds). A punctual line waits out the last stretch before each
    // due time awake, so that its bytes leave on time: for measurements,
    // at the price of processor time.
    bool punctual = false;
};

class PtyServer {
public:
    static std::unique_ptr<PtyServer> OpenPseudoTerminal(ProtocolEngine& engine, std::string& error);
    static std::unique_ptr<PtyServer> OpenDevice(ProtocolEngine& engine, const std::string& path, std::string& error);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // The path a host opens: the pseudo-terminal's other side, or the device.
    const std::string& DevicePath() const { return path_; }

    void SetPacing(Pacing pacing) { pacing_ = pacing; }
    // Receives every exchange log line as it is written; the engine's log
    // is emptied then.
    void SetLogSink(std::function<void(const std::string&)> sink) { logSink_ = std::move(sink); }

    // Serves until Stop; false with a reason when the terminal fails.
    bool Run(std::string& error);
    // Safe from any thread and from a signal handler.
    void Stop();

    // Runs f with the engine while no exchange is under way.
    template <class F>
    auto WithEngine(F f) {
        std::lock_guard<std::mutex> lock(mutex_);
        return f(engine_);
    }

private:
    using Clock = std::chrono::steady_clock;

    PtyServer(ProtocolEngine& engine, int fd, int heldPeer, std::string path);
    bool ServeInput(std::string& error);
    void Receive(const uint8_t* bytes, size_t n);
    void Deliver(const uint8_t* bytes, size_t n, uint32_t rate);
    void WakeUp(const uint8_t* bytes, size_t n);
    bool SendReplies(uint32_t rate);
    void FollowGovernorRate();
    uint32_t LineRate() const;
    void FlushLog();

    ProtocolEngine& engine_;
    std::mutex mutex_;
    int fd_;
    int heldPeer_;  // the pseudo-terminal's other side, kept open between hosts; -1 on a device
    int stopPipe_[2] = {-1, -1};
    std::string path_;
    Pacing pacing_;
    std::function<void(const std::string&)> logSink_;
    Clock::time_point lineFreeAt_{};  // when the last paced request byte has arrived
    uint32_t rateHeard_ = 0;  // the rate of the host's last bytes, logged when it changes
    // Break marks on a serial device: "\377\0" followed by the damaged byte.
    int markState_ = 0;
};

}  // namespace vekgov
