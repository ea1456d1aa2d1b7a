// One text line per exchange: what the host sent, what the governor
// answered, and what got in the way. Lines look like
//   "> 01 55 AA < AC 59"
//   "> 02 < 12 00 ... [fault cut-short]"
//   "> 59 02 < (none)"
//   "> 7E (dropped: unknown command)"
#pragma once

#include "Faults.hpp"

#include <optional>
#include <string>
#include <vector>

namespace vekgov {

std::string HexBytes(const uint8_t* bytes, size_t n);

class ExchangeLog {
public:
    void Exchange(const uint8_t* request, size_t requestSize, const Bytes& reply,
                  const std::optional<InjectedFault>& fault);
    void Dropped(const uint8_t* bytes, size_t n, const char* reason);
    // The host's bytes now come at another rate.
    void RateHeard(uint32_t rate);

    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

    // A log that is off writes no lines: formatting every exchange costs a
    // measurable share of a fast host's time, which benchmarks must not see.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }

private:
    std::vector<std::string> lines_;
    bool enabled_ = true;
};

}  // namespace vekgov
