#include "LibraryLog.hpp"

#include "TextOut.hpp"

#include "VekLib.h"

#include <filesystem>
#include <fstream>
#include <string_view>

#if defined(_WIN32)
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace vektool {

namespace {

// "08.12.26 11:37:46: " before every message.
constexpr std::size_t kStampLength = 19;
constexpr std::string_view kEllipsis = "...";

LibraryLog* activeLog = nullptr;

void VEK_CALL OnLibraryError(void*, const VekChar* text) {
    if (activeLog) activeLog->AddReportedError(ToUtf8(text, SIZE_MAX));
}

std::string PrivateLogPath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return (folder / ("vek-" + std::to_string(getpid()) + ".log")).u8string();
}

uint64_t FileSize(const std::string& path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(std::filesystem::u8path(path), error);
    return error ? 0 : size;
}

// The library writes one byte per character (Latin-1).
std::string Latin1ToUtf8(const std::string& bytes) {
    std::u16string units(bytes.begin(), bytes.end());
    for (std::size_t i = 0; i < bytes.size(); ++i) units[i] = static_cast<unsigned char>(bytes[i]);
    return ToUtf8(units.c_str(), units.size());
}

std::string WithoutStamp(const std::string& line) {
    // The blanks after the stamp stay: the connection indents its steps.
    const bool stamped = line.size() >= kStampLength && line.compare(kStampLength - 2, 2, ": ") == 0;
    const std::size_t start = stamped ? kStampLength : 0;
    return line.find_first_not_of(' ', start) == std::string::npos ? "" : line.substr(start);
}

// Runs of blanks (the library aligns some columns) as one, for a one-line reason.
std::string Collapsed(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ' || out.empty() || out.back() != ' ') out += c;
    }
    return out;
}

// "Reading error memory..." and the connection's indented " Stream open"
// announce a step; they are no reason.
bool AnnouncesAStep(const std::string& line) {
    const bool ellipsis = line.size() >= kEllipsis.size() &&
                          line.compare(line.size() - kEllipsis.size(), kEllipsis.size(), kEllipsis) == 0;
    return ellipsis || (!line.empty() && line.front() == ' ');
}

}  // namespace

LibraryLog::LibraryLog(const std::string& userFile)
    : path_(userFile.empty() ? PrivateLogPath() : userFile), privateFile_(userFile.empty()) {
    VekSetLogFile(AsVekText(FromUtf8(path_)));
    activeLog = this;
    VekSetCallback(VEK_CALLBACK_ERROR, reinterpret_cast<VekCallback>(OnLibraryError));
}

LibraryLog::~LibraryLog() {
    VekSetCallback(VEK_CALLBACK_ERROR, nullptr);
    activeLog = nullptr;
    VekSetLogFile(AsVekText(u""));
    if (privateFile_) {
        std::error_code error;
        std::filesystem::remove(std::filesystem::u8path(path_), error);
    }
}

void LibraryLog::Mark() {
    mark_ = FileSize(path_);
    errors_.clear();
}

std::vector<std::string> LibraryLog::LinesSinceMark() const {
    std::ifstream file(std::filesystem::u8path(path_), std::ios::binary);
    // The library empties the file with its first message of the run.
    if (FileSize(path_) >= mark_) file.seekg(static_cast<std::streamoff>(mark_));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string message = WithoutStamp(Latin1ToUtf8(line));
        if (!message.empty()) lines.push_back(message);
    }
    return lines;
}

std::string LibraryLog::Reason() const {
    if (!errors_.empty()) return Collapsed(errors_.back());
    const std::vector<std::string> lines = LinesSinceMark();
    // The lines the failing step wrote, its cause first ("Failed to connect
    // to ...: Connection refused; Failed to open port at 300 bauds").
    auto first = lines.end();
    while (first != lines.begin() && !AnnouncesAStep(*(first - 1))) --first;
    std::string reason;
    for (auto line = first; line != lines.end(); ++line) reason += (reason.empty() ? "" : "; ") + Collapsed(*line);
    return reason;
}

}  // namespace vektool
