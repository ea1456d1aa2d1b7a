// The table of `vek watch`: the extended stamp and one row per watched value.
// On a terminal it is redrawn in place; anywhere else each sample is one
// line of tab-separated fields under a header line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vektool {

struct WatchedValue {
    std::string name;
    std::string unit;
};

class WatchTable {
public:
    WatchTable(std::vector<WatchedValue> columns, std::FILE* out = stdout);
    WatchTable(const WatchTable&) = delete;
    WatchTable& operator=(const WatchTable&) = delete;

    // One sample: the extended stamp and a display text per value.
    void Show(uint32_t stamp, const std::vector<std::string>& texts);

private:
    void ShowInPlace(uint32_t stamp, const std::vector<std::string>& texts);
    void ShowLine(uint32_t stamp, const std::vector<std::string>& texts);

    std::vector<WatchedValue> columns_;
    std::FILE* out_;
    bool inPlace_;
    bool drawn_ = false;
    std::size_t nameWidth_ = 0;
};

}  // namespace vektool
