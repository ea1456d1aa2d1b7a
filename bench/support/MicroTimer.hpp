// Short operations timed by Google Benchmark, collected instead of printed:
// each case gives its nanoseconds per item.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace vekbench {

class MicroTimer {
public:
    // body handles items items per call.
    void Add(const std::string& name, std::function<void()> body, int64_t items);
    // Runs every case added; nanoseconds per item by name.
    std::map<std::string, double> Run();
};

}  // namespace vekbench
