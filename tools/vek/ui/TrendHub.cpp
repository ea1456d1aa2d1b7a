#include "TrendHub.hpp"

#include <algorithm>

namespace vektool::ui {

namespace {

// About 14 s of samples at the fastest rate of a 115200 baud line.
constexpr std::size_t kClientQueueCapacity = 4096;

}  // namespace

std::vector<TrendSample> TrendClient::Take(std::chrono::milliseconds timeout, uint64_t& missed) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait_for(lock, timeout, [this] { return !queue_.empty() || closed_; });
    std::vector<TrendSample> samples(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
    queue_.clear();
    missed = missed_;
    return samples;
}

void TrendClient::Push(const TrendSample& sample) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.size() >= kClientQueueCapacity) {
            queue_.pop_front();
            ++missed_;
        }
        queue_.push_back(sample);
    }
    ready_.notify_one();
}

void TrendClient::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    ready_.notify_one();
}

bool TrendClient::Closed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

std::shared_ptr<TrendClient> TrendHub::Subscribe() {
    auto client = std::make_shared<TrendClient>();
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) client->Close();
    clients_.push_back(client);
    return client;
}

void TrendHub::Unsubscribe(const std::shared_ptr<TrendClient>& client) {
    std::lock_guard<std::mutex> lock(mutex_);
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

std::size_t TrendHub::Clients() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clients_.size();
}

void TrendHub::Publish(const TrendSample& sample) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& client : clients_) client->Push(sample);
}

void TrendHub::CloseAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    for (const auto& client : clients_) client->Close();
}

void TrendHub::SetConfig(TrendConfig config) {
    std::lock_guard<std::mutex> lock(mutex_);
    config.generation = config_.generation + 1;
    config_ = std::move(config);
}

TrendConfig TrendHub::Config() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return config_;
}

}  // namespace vektool::ui
