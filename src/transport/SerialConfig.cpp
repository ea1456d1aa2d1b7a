// The configuration string that the ports' Open reads back: "port,baud".
#include "transport/SerialPort.hpp"
#include "transport/Stream.hpp"

#include <limits>

namespace vek {

namespace {


bool IsDigit(Char c) { return c >= u'0' && c <= u'9'; }

// A decimal integer after optional blanks, as "%d" reads it: a sign, then
// at least one digit; what follows the digits is ignored.
bool ReadDecimal(TextView text, int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    if (i == text.size() || !IsDigit(text[i])) return false;
    long long magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > static_cast<long long>(std::numeric_limits<int32_t>::max()) + 1) return false;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

}  // namespace

bool ParseSerialConfig(const Char* config, Char (&portName)[kPortNameCapacity], int32_t& baudRate) {
    const TextView text(config, TextLength(config, kConfigCapacity));
    const std::size_t comma = text.find(u',');
    if (comma == TextView::npos || comma >= kPortNameCapacity) return false;
    int32_t rate = 0;
    if (!ReadDecimal(text.substr(comma + 1), rate)) return false;
    CopyText(portName, kPortNameCapacity, text.substr(0, comma));
    baudRate = rate;
    return true;
}

}  // namespace vek

