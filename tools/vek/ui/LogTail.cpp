#include "LogTail.hpp"

#include "../TextOut.hpp"

#include "VekLib.h"

#include <fstream>

namespace vektool::ui {

namespace {

constexpr std::size_t kKeptLines = 1000;
// A log file of the console's own is emptied beyond this size: a trend
// writes one trace line per sample.
constexpr uint64_t kOwnFileLimit = 4u << 20;
// "08.12.26 12:05:31: " before every line.
constexpr std::size_t kStampLength = 19;
constexpr const char* kTraceEnding = "...";

// The log is 8-bit text: each byte is the character of that code.
std::string Latin1ToUtf8(const std::string& bytes) {
    std::u16string text(bytes.begin(), bytes.end());
    for (char16_t& c : text) c = static_cast<unsigned char>(c);
    return ToUtf8(text.c_str(), text.size() + 1);
}

std::string WithoutStamp(const std::string& line) {
    const bool stamped = line.size() >= kStampLength && line[2] == '.' && line[kStampLength - 2] == ':';
    return stamped ? line.substr(kStampLength) : line;
}

bool IsTrace(const std::string& line) {
    return line.size() >= 3 && line.compare(line.size() - 3, 3, kTraceEnding) == 0;
}

}  // namespace

LogTail::LogTail(std::string path, bool ownFile) : path_(std::move(path)), ownFile_(ownFile) {}

std::vector<std::string> LogTail::Poll() {
    std::vector<std::string> lines;
    std::ifstream file(path_, std::ios::binary);
    if (!file) return lines;
    file.seekg(0, std::ios::end);
    const uint64_t size = static_cast<uint64_t>(file.tellg());
    if (size < offset_) offset_ = 0;  // the library started the file again
    file.seekg(static_cast<std::streamoff>(offset_));
    std::string bytes(size - offset_, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    offset_ = size;
    partial_ += bytes;
    std::size_t start = 0;
    for (std::size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = partial_.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(Latin1ToUtf8(WithoutStamp(line)));
        Keep(lines.back());
    }
    partial_.erase(0, start);
    StartOverWhenLarge();
    return lines;
}

void LogTail::StartOverWhenLarge() {
    if (!ownFile_ || offset_ < kOwnFileLimit || !partial_.empty()) return;
    // Naming the file again closes it; the next line empties it.
    VekSetLogFile(AsVekText(FromUtf8(path_)));
    offset_ = 0;
}

void LogTail::Keep(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!kept_.empty() && kept_.back().text == text) {
        ++kept_.back().repeats;
        kept_.back().number = ++lastNumber_;
        return;
    }
    ++lastNumber_;
    kept_.push_back({lastNumber_, lastNumber_, text, 0});
    if (kept_.size() > kKeptLines) kept_.pop_front();
}

std::vector<LogLine> LogTail::Since(uint64_t after) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<LogLine> lines;
    for (const LogLine& line : kept_) {
        if (line.number > after) lines.push_back(line);
    }
    return lines;
}

uint64_t LogTail::LastNumber() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastNumber_;
}

std::string ReasonIn(const std::vector<std::string>& lines) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (!line->empty() && !IsTrace(*line)) return *line;
    }
    return "";
}

}  // namespace vektool::ui
