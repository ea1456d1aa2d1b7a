#include "Governor.hpp"

#include "RecordJson.hpp"

#include "../Session.hpp"
#include "../TextOut.hpp"
#include "../ToolError.hpp"

#include "VekLib.h"

#include <future>

namespace vektool::ui {

namespace {

constexpr uint8_t kTrendList = 0;  // the list a reconnection configures again
constexpr std::size_t kTrendCapacity = 16;
constexpr auto kPingInterval = std::chrono::seconds(1);
constexpr auto kReconnectInterval = std::chrono::seconds(1);
constexpr auto kRateWindow = std::chrono::seconds(2);
constexpr auto kIdleWait = std::chrono::seconds(1);
constexpr auto kLogPollInterval = std::chrono::milliseconds(250);
constexpr unsigned kPerMillePerPercent = 10;

Governor& Of(void* user) { return *static_cast<Governor*>(user); }

void VEK_CALL OnProgress(void* user, const VekChar* text, uint16_t value) {
    Of(user).OnProgress(ToUtf8(text, SIZE_MAX), value);
}

// The firmware's progress comes without the share in its text.
void VEK_CALL OnFirmwareProgress(void* user, const VekChar* text, uint16_t permille) {
    Of(user).OnProgress(ToUtf8(text, SIZE_MAX) + " (" + std::to_string(permille / kPerMillePerPercent) + "%)",
                        permille);
}

// Stages without a share ("Erasing firmware", "Waiting for reset").
void VEK_CALL OnStatus(void* user, const VekChar* text) { Of(user).OnStage(ToUtf8(text, SIZE_MAX)); }

void VEK_CALL OnError(void* user, const VekChar* text) { Of(user).OnError(ToUtf8(text, SIZE_MAX)); }

// Instead of the library's message box: the text goes to the page.
int32_t VEK_CALL OnImportantError(void* user, const VekChar* text) {
    Of(user).OnError(ToUtf8(text, SIZE_MAX));
    return 0;
}

int32_t VEK_CALL OnQuestion(void* user, const VekChar* text) {
    std::string question;
    for (char c : ToUtf8(text, SIZE_MAX)) {
        if (c != '\r') question += c;
    }
    return Of(user).OnQuestion(question) ? 1 : 0;
}

template <class F>
VekCallback AsCallback(F function) {
    return reinterpret_cast<VekCallback>(function);
}

std::string StreamConfig() { return ToUtf8(VekGetStream()->Config, sizeof(SerialStream::Config) / sizeof(VekChar)); }

}  // namespace

const char* LinkStateName(LinkState state) {
    switch (state) {
        case LinkState::Connecting: return "connecting";
        case LinkState::Connected: return "connected";
        case LinkState::Lost: return "disconnected";
        case LinkState::Offline: return "offline";
    }
    return "unknown";
}

Governor::Governor(Session& session, LogTail& log, TrendHub& trend, LongOperations& operations)
    : session_(session), log_(log), trend_(trend), operations_(operations) {
    status_.description = session_.Describe();
    status_.simulated = session_.Settings().port.empty();
}

void Governor::Start() { thread_ = std::thread([this] { Run(); }); }

Governor::~Governor() { Stop(); }

void Governor::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    operations_.Stop();
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

Reply Governor::Call(std::function<Reply()> job) {
    auto task = std::make_shared<std::packaged_task<Reply()>>(std::move(job));
    std::future<Reply> reply = task->get_future();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return ErrorReply("the console is stopping", kUnavailable);
        jobs_.push_back([task] { (*task)(); });
    }
    wake_.notify_all();
    try {
        return reply.get();
    } catch (const std::future_error&) {
        return ErrorReply("the console is stopping", kUnavailable);
    }
}

Reply Governor::CallConnected(std::function<Reply()> job) {
    return Call([this, job = std::move(job)] {
        if (State() != LinkState::Connected) {
            return ErrorReply("the governor is not connected", kUnavailable);
        }
        return job();
    });
}

GovernorStatus Governor::Status() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
}

LinkState Governor::State() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return status_.state;
}

std::string Governor::FailureReason(const std::string& fallback) {
    const std::string logged = ReasonIn(log_.Poll());
    if (!errorTexts_.empty()) return errorTexts_.back();
    return logged.empty() ? fallback : logged;
}

Reply Governor::WithProgress(const std::string& operation, const std::function<Reply()>& body) {
    struct Shown {
        LongOperations& operations;
        ~Shown() { operations.End(); }
    } shown{operations_};
    operations_.Begin(operation);
    return body();
}

void Governor::OnProgress(const std::string& text, unsigned permille) { operations_.Report(text, permille); }

void Governor::OnStage(const std::string& text) { operations_.Stage(text); }

void Governor::OnError(const std::string& text) { errorTexts_.push_back(text); }

bool Governor::OnQuestion(const std::string& text) { return operations_.Ask(text); }

void Governor::InstallCallbacks() {
    VekSetUserData(this);
    VekSetCallback(VEK_CALLBACK_PROGRESS, AsCallback(vektool::ui::OnProgress));
    VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, AsCallback(OnFirmwareProgress));
    VekSetCallback(VEK_CALLBACK_STATUS, AsCallback(OnStatus));
    VekSetCallback(VEK_CALLBACK_ERROR, AsCallback(vektool::ui::OnError));
    VekSetCallback(VEK_CALLBACK_IMPORTANT_ERROR, AsCallback(OnImportantError));
    VekSetCallback(VEK_CALLBACK_QUESTION, AsCallback(vektool::ui::OnQuestion));
}

void Governor::Run() {
    InstallCallbacks();
    if (!FirstConnection()) LineLost("the first connection failed");
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (!jobs_.empty()) {
            const std::function<void()> job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            RunJob(job);
            lock.lock();
            continue;
        }
        const Clock::time_point due = NextDue();
        if (Clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        lock.unlock();
        DoDueWork();
        lock.lock();
    }
    jobs_.clear();  // their callers hear that the console stops
}

void Governor::RunJob(const std::function<void()>& job) {
    log_.Poll();  // what came before belongs to no job
    errorTexts_.clear();
    job();
    log_.Poll();
}

Governor::Clock::time_point Governor::NextDue() const {
    const Clock::time_point idle = Clock::now() + kIdleWait;
    switch (status_.state) {
        case LinkState::Lost: return nextReconnect_;
        case LinkState::Connected: return TrendActive() ? std::min(nextSample_, nextPing_) : nextPing_;
        default: return idle;
    }
}

void Governor::DoDueWork() {
    const LinkState state = State();
    const Clock::time_point now = Clock::now();
    if (state == LinkState::Lost) {
        TryReconnect();
    } else if (state == LinkState::Connected && now >= nextPing_) {
        Ping();
    } else if (state == LinkState::Connected && TrendActive()) {
        Sample();
    }
    // Not after every sample: reading the file would cost the trend its rate.
    if (now >= nextLogPoll_) {
        log_.Poll();
        nextLogPoll_ = now + kLogPollInterval;
    }
}

bool Governor::TrendActive() const { return !trendConfig_.ids.empty() && trend_.Clients() > 0; }

void Governor::SetState(LinkState state) {
    std::lock_guard<std::mutex> lock(mutex_);
    status_.state = state;
}

bool Governor::FirstConnection() {
    SetState(LinkState::Connecting);
    const Reply reply = WithProgress("Connecting", [this] {
        if (!streamConfigured_) {
            // The session configures the stream (port or built-in governor) the first time.
            streamConfigured_ = true;
            try {
                session_.Connect();
            } catch (const ToolError& error) {
                return ErrorReply(FailureReason(error.what()), kUnavailable);
            }
        } else if (!VekInit()) {
            return Refused("the connection failed");
        }
        VekClearParDefs();
        if (!VekReadAllParDef()) return Refused("the definition download failed");
        VekReadAllValues();
        return JsonReply(Json::object());
    });
    {
        std::lock_guard<std::mutex> lock(mutex_);
        status_.config = StreamConfig();
        if (reply.status != kOk) {
            status_.lastFailure = Json::parse(reply.body).value("error", "");
            return false;
        }
    }
    RefreshDevice();
    SetState(LinkState::Connected);
    nextPing_ = Clock::now();
    return true;
}

Reply Governor::Connect(const std::string& port, uint32_t baud) {
    const GovernorStatus status = Status();
    if (!status.simulated && !port.empty()) {
        VekClose();
        if (!VekConfigureSerialStream(AsVekText(FromUtf8(port)), baud)) return Refused("invalid port or rate");
        streamConfigured_ = true;
        std::lock_guard<std::mutex> lock(mutex_);
        status_.description = "governor on " + port + " at " + std::to_string(baud) + " baud";
    } else if (status.state == LinkState::Connected) {
        VekClose();
    }
    if (FirstConnection()) return JsonReply(Json{{"state", LinkStateName(LinkState::Connected)}});
    SetState(LinkState::Offline);
    return ErrorReply(Status().lastFailure, kRefused);
}

Reply Governor::Disconnect() {
    VekClose();
    SetState(LinkState::Offline);
    return JsonReply(Json{{"state", LinkStateName(LinkState::Offline)}});
}

Reply Governor::ConfigureTrend(const std::vector<uint32_t>& ids, uint32_t intervalMs) {
    if (ids.size() > kTrendCapacity) {
        return ErrorReply("at most " + std::to_string(kTrendCapacity) + " values at a time", kBadRequest);
    }
    TrendConfig config;
    for (const uint32_t id : ids) {
        const ParDef* def = VekGetParDef(id);
        if (!def) return ErrorReply("no definition numbered " + std::to_string(id), kNotFound);
        config.ids.push_back(id);
        config.names.push_back(ToUtf8(def->Name));
        config.units.push_back(ToUtf8(def->Unit));
    }
    config.intervalMs = intervalMs;
    const bool same = config.ids == trendConfig_.ids;
    if (!same && !VekSetTimedList(kTrendList, static_cast<uint32_t>(ids.size()), ids.data())) {
        return Refused("the governor refused the timed list");
    }
    if (!same) {
        sequence_ = 0;
        std::lock_guard<std::mutex> lock(mutex_);
        status_.samples = 0;
    }
    trend_.SetConfig(config);
    trendConfig_ = trend_.Config();
    nextSample_ = Clock::now();
    rateWindowStart_ = nextSample_;
    rateWindowSamples_ = 0;
    return JsonReply(Json{{"ids", config.ids}, {"names", config.names}, {"units", config.units}});
}

void Governor::Sample() {
    const Clock::time_point now = Clock::now();
    nextSample_ = std::max(nextSample_ + std::chrono::milliseconds(trendConfig_.intervalMs), now);
    TrendSample sample{trendConfig_.generation, 0, 0, std::vector<double>(trendConfig_.ids.size())};
    double values[kTrendCapacity] = {};
    if (!VekReadTimedList(kTrendList, &sample.stamp, values)) {
        // One reconnection (which configures the list again) before the line counts as lost.
        if (!VekReconnect() || !VekReadTimedList(kTrendList, &sample.stamp, values)) {
            LineLost(FailureReason("the governor does not answer"));
            return;
        }
    }
    std::copy(values, values + sample.values.size(), sample.values.begin());
    sample.sequence = ++sequence_;
    trend_.Publish(sample);
    ++rateWindowSamples_;
    std::lock_guard<std::mutex> lock(mutex_);
    status_.samples = sequence_;
    if (now - rateWindowStart_ > kRateWindow * 2) {
        // Sampling was paused (no page watched): a new window.
        rateWindowStart_ = now;
        rateWindowSamples_ = 0;
    } else if (now - rateWindowStart_ >= kRateWindow) {
        status_.sampleRate = rateWindowSamples_ / std::chrono::duration<double>(now - rateWindowStart_).count();
        rateWindowStart_ = now;
        rateWindowSamples_ = 0;
    }
}

void Governor::Ping() {
    nextPing_ = Clock::now() + kPingInterval;
    if (!VekPing() && !(VekReconnect() && VekPing())) {
        LineLost(FailureReason("the governor does not answer"));
        return;
    }
    RefreshPendingErrors();
    if (!TrendActive()) {
        std::lock_guard<std::mutex> lock(mutex_);
        status_.sampleRate = 0;
    }
}

void Governor::LineLost(const std::string& what) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        status_.state = LinkState::Lost;
        status_.lastFailure = what;
        status_.sampleRate = 0;
    }
    nextReconnect_ = Clock::now() + kReconnectInterval;
}

void Governor::TryReconnect() {
    nextReconnect_ = Clock::now() + kReconnectInterval;
    if (!ConnectAgain()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++status_.reconnections;
    }
}

bool Governor::ConnectAgain() {
    // Without definitions a reconnection cannot configure the list: connect anew.
    if (VekGetParDefNum() == 0) return FirstConnection();
    if (!VekReconnect()) return false;
    RefreshDevice();
    SetState(LinkState::Connected);
    nextPing_ = Clock::now();
    nextSample_ = Clock::now();
    return true;
}

void Governor::RefreshDevice() {
    Json device = DeviceJson();
    std::lock_guard<std::mutex> lock(mutex_);
    status_.device = std::move(device);
}

void Governor::RefreshPendingErrors() {
    Json errors = PendingErrorsJson();
    std::lock_guard<std::mutex> lock(mutex_);
    status_.pendingErrors = std::move(errors);
}

}  // namespace vektool::ui
