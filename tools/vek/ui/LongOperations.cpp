#include "LongOperations.hpp"

namespace vektool::ui {

void LongOperations::Begin(const std::string& operation) {
    std::lock_guard<std::mutex> lock(mutex_);
    current_ = Progress{operation, "", 0};
}

void LongOperations::Report(const std::string& text, unsigned permille) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!current_) current_ = Progress{};
    current_->text = text;
    current_->permille = permille;
}

void LongOperations::Stage(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!current_) current_ = Progress{};
    current_->text = text;
}

void LongOperations::End() {
    std::lock_guard<std::mutex> lock(mutex_);
    current_.reset();
}

std::optional<Progress> LongOperations::Current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return current_;
}

bool LongOperations::Ask(const std::string& question) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stopped_) return false;
    question_ = question;
    answer_.reset();
    answered_.wait(lock, [this] { return answer_.has_value() || stopped_; });
    question_.reset();
    return answer_.value_or(false);
}

bool LongOperations::Answer(bool yes) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!question_ || answer_) return false;
        answer_ = yes;
    }
    answered_.notify_all();
    return true;
}

std::optional<std::string> LongOperations::Question() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return question_;
}

void LongOperations::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    answered_.notify_all();
}

}  // namespace vektool::ui
