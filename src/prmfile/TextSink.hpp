// Where written parameter text goes: a file, whose lines end in CR LF, or a
// caller's buffer, whose lines end in LF and which takes no more than its
// capacity.
#pragma once

#include "text/Text.hpp"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace vek {

class TextSink {
public:
    virtual ~TextSink() = default;
    // Writes 8-bit text whose lines end in LF.
    virtual void Write(std::string_view text) = 0;
    // 16-bit text, each character narrowed to one byte.
    void Write(TextView text) {
        narrowed_.clear();
        AppendNarrowed(narrowed_, text);
        Write(std::string_view(narrowed_));
    }

private:
    std::string narrowed_;  // kept for the next line, with its capacity
};

// A file that is replaced whole: the text goes to a new file beside it,
// which takes its place at Commit, once every byte was written and the file
// closed without error. Until then the file keeps what it had; a file that
// did not exist is there from Open on, empty. What is not a regular file (a
// device, a pipe) is written in place. Failures are logged with the file's
// name and the system's reason.
class FileSink : public TextSink {
public:
    explicit FileSink(const Char* path) : target_(path) {}
    // Removes the new file when Commit was not reached.
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool Open();
    using TextSink::Write;
    void Write(std::string_view text) override;
    bool Commit();

private:
    void Discard();

    Text target_;
    Text written_;  // the new file, or the target itself when written in place
    std::FILE* file_ = nullptr;
    int writeError_ = 0;  // the system's code of the first failed write
    std::string bytes_;   // the text with CR LF line ends, kept for the next line
};

// capacity bytes at buffer; what does not fit is cut off, and no
// terminating NUL is added.
class BufferSink : public TextSink {
public:
    BufferSink(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}

    using TextSink::Write;
    void Write(std::string_view text) override;
    std::size_t Length() const { return length_; }

private:
    char* buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
};

}  // namespace vek
