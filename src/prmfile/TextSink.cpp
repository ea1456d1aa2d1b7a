#include "prmfile/TextSink.hpp"

#include "core/Report.hpp"
#include "platform/Platform.hpp"

#include <algorithm>
#include <cstring>
#include <string>

namespace vek {

FileSink::~FileSink() { Discard(); }

void FileSink::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!written_.empty() && written_ != target_) platform::RemoveFile(written_.c_str());
    written_.clear();
}

bool FileSink::Open() {
    // The empty target is there at once, as it always was; it also proves that
    // the file can be written before anything is read from the governor.
    if (platform::KindOfFile(target_.c_str()) == platform::FileKind::Missing) {
        std::FILE* created = platform::OpenFile(target_.c_str(), "wb");
        if (created) std::fclose(created);
    }
    switch (platform::KindOfFile(target_.c_str())) {
        case platform::FileKind::Regular:
            file_ = platform::CreateFileBeside(platform::FinalPath(target_.c_str()).c_str(), written_);
            break;
        case platform::FileKind::Other:
            file_ = platform::OpenFile(target_.c_str(), "wb");
            if (file_) written_ = target_;
            break;
        case platform::FileKind::Missing:
            break;
    }
    if (!file_) LogTranslated(u"Failed to open file %s for writing", target_);
    return file_ != nullptr;
}

void FileSink::Write(std::string_view text) {
    // Files are written in binary mode, with the line ends of a text file
    // of the Windows family on every platform.
    bytes_.clear();
    for (char c : text) {
        if (c == '\n') bytes_ += '\r';
        bytes_ += c;
    }
    if (writeError_ == 0 && std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) {
        writeError_ = platform::LastSystemErrorCode();
    }
}

bool FileSink::Commit() {
    int error = writeError_;
    if (error == 0 && std::fflush(file_) != 0) error = platform::LastSystemErrorCode();
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (error == 0 && closed != 0) error = platform::LastSystemErrorCode();
    if (error == 0 && written_ != target_ &&
        !platform::MoveIntoPlace(written_.c_str(), platform::FinalPath(target_.c_str()).c_str())) {
        error = platform::LastSystemErrorCode();
    }
    if (error != 0) {
        LogTranslated(u"Failed to write file %s: %s", target_, platform::SystemErrorText(error));
        Discard();
        return false;
    }
    written_.clear();
    return true;
}

void BufferSink::Write(std::string_view text) {
    const std::size_t count = std::min(text.size(), capacity_ - length_);
    std::memcpy(buffer_ + length_, text.data(), count);
    length_ += count;
}

}  // namespace vek
