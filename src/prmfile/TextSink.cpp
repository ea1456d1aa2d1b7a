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
    bytes_.clear();
    for (char c : text) {
        if (c == '\n') bytes_ += '\r';
        bytes_ += c;
    }
    std::fwrite(bytes_.data(), 1, bytes_.size(), file_);
}

void BufferSink::Write(std::string_view text) {
    const std::size_t count = std::min(text.size(), capacity_ - length_);
    std::memcpy(buffer_ + length_, text.data(), count);
    length_ += count;
}

}  // namespace vek
