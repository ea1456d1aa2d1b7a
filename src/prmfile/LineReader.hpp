// Reading the text of a parameter file line by line, from a file or from a
// caller's buffer, and picking out its data lines (neither comments nor blank).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vek {

// A line is read into a buffer of 1000 bytes: a longer line arrives in
// pieces of this many bytes, each counting as a line of its own.
constexpr std::size_t kLinePieceLength = 999;

// Where the text comes from, byte by byte.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The next byte (0 to 255), or -1 at the end of the text.
    virtual int Next() = 0;
};

// An open file, closed by Close or at the end of the source's life.
class FileSource : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    ~FileSource() override { Close(); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    void Close();
    int Next() override;

private:
    std::FILE* file_;
};

// size bytes at data; no terminating NUL is needed.
class BufferSource : public ByteSource {
public:
    BufferSource(const char* data, std::size_t size) : data_(data), size_(size) {}
    int Next() override;

private:
    const char* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// One physical line, or the next piece of a long one: the bytes up to and
// including the next LF, at most kLinePieceLength of them, with every NUL,
// CR, LF and 0xFF byte dropped. False when the text has ended.
bool ReadRawLine(ByteSource& source, std::string& line);

// Data lines: every physical line is counted (the count names lines in
// messages), lines whose first character is '#' and lines that are empty
// after trimming white space are passed over, the rest is delivered trimmed.
class DataLineReader {
public:
    explicit DataLineReader(ByteSource& source) : source_(source) {}
    // False when the text has ended.
    bool Next(std::string& line);
    // The number of the last physical line read, the first being 1.
    uint32_t LineNumber() const { return lineNumber_; }

private:
    ByteSource& source_;
    uint32_t lineNumber_ = 0;
};

}  // namespace vek
