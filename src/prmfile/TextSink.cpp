#include "prmfile/TextSink.hpp"

#include <algorithm>
#include <cstring>
#include <string>

namespace vek {

FileSink::~FileSink() {
    if (file_) std::fclose(file_);
}

void FileSink::Write(std::string_view text) {
    // Files are written in binary mode, with the line ends of a text file
    // of the Windows family on every platform.
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
}

void BufferSink::Write(std::string_view text) {
    const std::size_t count = std::min(text.size(), capacity_ - length_);
    std::memcpy(buffer_ + length_, text.data(), count);
    length_ += count;
}

}  // namespace vek
