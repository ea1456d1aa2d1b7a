#include "prmfile/LineReader.hpp"

namespace vek {

namespace {

constexpr int kEndOfText = -1;
constexpr char kCommentMark = '#';

bool IsDroppedByte(int byte) { return byte == 0 || byte == '\r' || byte == '\n' || byte == 0xFF; }

// Space, tab, LF, vertical tab, form feed and CR.
bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void Trim(std::string& line) {
    std::size_t end = line.size();
    while (end > 0 && IsWhiteSpace(line[end - 1])) --end;
    std::size_t begin = 0;
    while (begin < end && IsWhiteSpace(line[begin])) ++begin;
    line = line.substr(begin, end - begin);
}

}  // namespace

void FileSource::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

int FileSource::Next() {
    if (!file_) return kEndOfText;
    const int byte = std::fgetc(file_);
    return byte == EOF ? kEndOfText : byte;
}

int BufferSource::Next() {
    if (position_ >= size_) return kEndOfText;
    return static_cast<unsigned char>(data_[position_++]);
}

bool ReadRawLine(ByteSource& source, std::string& line) {
    line.clear();
    std::size_t taken = 0;
    while (taken < kLinePieceLength) {
        const int byte = source.Next();
        if (byte == kEndOfText) return taken > 0;
        ++taken;
        if (byte == '\n') break;
        if (!IsDroppedByte(byte)) line += static_cast<char>(byte);
    }
    return true;
}

bool DataLineReader::Next(std::string& line) {
    while (ReadRawLine(source_, line)) {
        ++lineNumber_;
        if (!line.empty() && line[0] == kCommentMark) continue;
        Trim(line);
        if (!line.empty()) return true;
    }
    return false;
}

}  // namespace vek
