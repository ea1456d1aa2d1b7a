// Hands the trend's samples from the governor thread to every page that
// watches: each client has a bounded queue of its own, so a slow or closed
// tab loses its oldest samples (counted, and told to it) while sampling and
// the other clients go on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vektool::ui {

struct TrendSample {
    uint64_t generation;  // of the list configuration it was taken with
    uint64_t sequence;  // 1, 2, ... since the list was configured
    uint32_t stamp;     // the governor's extended time stamp, ms
    std::vector<double> values;
};

struct TrendConfig {
    uint64_t generation = 0;  // raised by every change of the list
    std::vector<uint32_t> ids;
    std::vector<std::string> names;
    std::vector<std::string> units;
    uint32_t intervalMs = 0;
};

class TrendClient {
public:
    // Waits up to timeout for samples; takes them with the count of samples
    // lost to a full queue so far.
    std::vector<TrendSample> Take(std::chrono::milliseconds timeout, uint64_t& missed);
    void Push(const TrendSample& sample);
    void Close();
    bool Closed() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<TrendSample> queue_;
    uint64_t missed_ = 0;
    bool closed_ = false;
};

class TrendHub {
public:
    std::shared_ptr<TrendClient> Subscribe();
    void Unsubscribe(const std::shared_ptr<TrendClient>& client);
    std::size_t Clients() const;

    // Governor thread: one sample to every client, never waiting for one.
    void Publish(const TrendSample& sample);
    // Wakes every client up to end its stream (the server stops).
    void CloseAll();

    void SetConfig(TrendConfig config);
    TrendConfig Config() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<TrendClient>> clients_;
    TrendConfig config_;
    bool closed_ = false;  // clients that come later get a closed stream
};

}  // namespace vektool::ui
