#include "ExchangeLog.hpp"

namespace vekgov {

std::string HexBytes(const uint8_t* bytes, size_t n) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(n * 3);
    for (size_t i = 0; i < n; ++i) {
        if (i > 0) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

void ExchangeLog::Exchange(const uint8_t* request, size_t requestSize, const Bytes& reply,
                           const std::optional<InjectedFault>& fault) {
    if (!enabled_) return;
    std::string line = "> " + HexBytes(request, requestSize) + " < ";
    line += reply.empty() ? "(none)" : HexBytes(reply.data(), reply.size());
    if (fault) line += std::string(" [fault ") + FaultName(fault->fault) + "]";
    lines_.push_back(std::move(line));
}

void ExchangeLog::RateHeard(uint32_t rate) {
    if (!enabled_) return;
    lines_.push_back("- host rate " + std::to_string(rate) + " baud");
}

void ExchangeLog::Dropped(const uint8_t* bytes, size_t n, const char* reason) {
    if (!enabled_) return;
    lines_.push_back("> " + HexBytes(bytes, n) + " (dropped: " + reason + ")");
}

}  // namespace vekgov
