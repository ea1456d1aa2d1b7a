#include "support/LogCapture.hpp"

#include "VekLib.h"

#include <algorithm>

namespace vektest {

namespace {
// "dd.mm.yy hh:mm:ss: "
constexpr std::size_t kStampLength = 19;
}

LogCapture::LogCapture() : file_(dir_ / "veklib.log") {
    const std::string name = file_.string();
    std::u16string wide(name.begin(), name.end());
    VekSetLogFile(reinterpret_cast<const VekChar*>(wide.c_str()));
}

std::vector<std::string> LogCapture::Lines() const {
    std::vector<std::string> lines;
    const std::string text = RawText();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        lines.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : line);
        start = end + 2;
    }
    return lines;
}

bool LogCapture::Contains(const std::string& text) const {
    const auto lines = Lines();
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

}  // namespace vektest
