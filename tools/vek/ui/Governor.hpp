// The one thread that talks to the governor. HTTP threads hand it jobs and
// wait for their replies; between jobs it samples the trend, pings the
// governor once a second (which also reads the pending errors) and, after
// the line was lost, tries to connect again until the governor answers.
// Every library call of the console runs here, as the library's rules for
// its lookups and lists want.
#pragma once

#include "LogTail.hpp"
#include "LongOperations.hpp"
#include "Reply.hpp"
#include "TrendHub.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vektool {
class Session;
}

namespace vektool::ui {

enum class LinkState { Connecting, Connected, Lost, Offline };

struct GovernorStatus {
    LinkState state = LinkState::Connecting;
    std::string description;  // "simulated governor (profile default)"
    std::string config;       // the stream's "port,baud"
    bool simulated = false;
    std::string lastFailure;  // why the line was lost or the connection failed
    uint64_t reconnections = 0;
    uint64_t samples = 0;     // since the trend list was configured
    double sampleRate = 0;    // samples per second, lately
    Json pendingErrors = Json::array();
    Json device;              // null until connected
};

const char* LinkStateName(LinkState state);

class Governor {
public:
    Governor(Session& session, LogTail& log, TrendHub& trend, LongOperations& operations);
    ~Governor();
    Governor(const Governor&) = delete;
    Governor& operator=(const Governor&) = delete;

    // Starts the thread, which connects first.
    void Start();
    // Ends the thread; later calls get 503.
    void Stop();

    // Runs job on the governor thread and waits for its reply.
    Reply Call(std::function<Reply()> job);
    // The same for jobs that need the connection: 503 while there is none.
    Reply CallConnected(std::function<Reply()> job);

    GovernorStatus Status() const;
    LinkState State() const;

    // --- for jobs, on the governor thread ---
    // The library's reason for the failure the job just met, else fallback.
    std::string FailureReason(const std::string& fallback);
    Reply Refused(const std::string& fallback) { return ErrorReply(FailureReason(fallback), kRefused); }
    // Runs body with its progress shown to the pages as operation.
    Reply WithProgress(const std::string& operation, const std::function<Reply()>& body);
    // A new connection (other port or rate when not simulated), with the
    // definitions and values downloaded.
    Reply Connect(const std::string& port, uint32_t baud);
    Reply Disconnect();
    // Points timed list 0 at ids and samples it every intervalMs (0: as
    // fast as the line allows) while a page watches.
    Reply ConfigureTrend(const std::vector<uint32_t>& ids, uint32_t intervalMs);
    // After the governor restarted (firmware): connect again.
    bool ConnectAgain();

    // Library callbacks.
    void OnProgress(const std::string& text, unsigned permille);
    void OnStage(const std::string& text);
    void OnError(const std::string& text);
    bool OnQuestion(const std::string& text);

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    void InstallCallbacks();
    void RunJob(const std::function<void()>& job);
    Clock::time_point NextDue() const;
    void DoDueWork();
    bool FirstConnection();
    void Sample();
    void Ping();
    void TryReconnect();
    void LineLost(const std::string& what);
    void SetState(LinkState state);
    void RefreshDevice();
    void RefreshPendingErrors();
    bool TrendActive() const;

    Session& session_;
    LogTail& log_;
    TrendHub& trend_;
    LongOperations& operations_;

    mutable std::mutex mutex_;  // guards the queue, stopping_ and status_
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    GovernorStatus status_;

    // Governor thread only.
    bool streamConfigured_ = false;
    std::vector<std::string> errorTexts_;  // error callback texts of the running job
    TrendConfig trendConfig_;
    uint64_t sequence_ = 0;
    Clock::time_point nextSample_{};
    Clock::time_point nextPing_{};
    Clock::time_point nextReconnect_{};
    Clock::time_point nextLogPoll_{};
    Clock::time_point rateWindowStart_{};
    uint64_t rateWindowSamples_ = 0;

    std::thread thread_;
};

}  // namespace vektool::ui
