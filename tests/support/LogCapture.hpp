// Points the library's log at a scratch file and reads its lines back
// without their time stamps.
#pragma once

#include "support/TempDir.hpp"

#include <string>
#include <vector>

namespace vektest {

class LogCapture {
public:
    LogCapture();
    // Every line written so far, time stamp and line end removed.
    std::vector<std::string> Lines() const;
    // Whether any line equals text.
    bool Contains(const std::string& text) const;
    std::string RawText() const { return ReadFileBytes(file_); }

private:
    TempDir dir_;
    std::filesystem::path file_;
};

}  // namespace vektest
