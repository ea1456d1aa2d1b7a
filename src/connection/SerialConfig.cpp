// VekConfigureSerialStream and the configuration string that the serial
// Open reads back.
#include "connection/Connection.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "transport/SerialPort.hpp"
#include "transport/Stream.hpp"

#include <algorithm>
#include <limits>

namespace vek {

namespace {

constexpr std::size_t kConfigCapacity = sizeof(SerialStream::Config) / sizeof(SerialStream::Config[0]);
// Two seconds at 9600 baud, shorter in proportion at faster rates (the wire
// time of 1920 bytes), but never below the default reply time-out.
constexpr uint32_t kResponseTimeoutNumerator = 19200000;

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

extern "C" VEK_API int32_t VEK_CALL VekConfigureSerialStream(const VekChar* port, uint32_t baud) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        const Char* name = port ? FromApi(port) : u"";
        if (baud == 0) {
            // The reply time-out is derived from the rate; a rate of 0 has none.
            LogTranslated(u"Invalid baudrate 0 for the serial port %s", name);
            return 0;
        }
        SerialStream& stream = Stream();
        // The rate is written as a signed number, as the configuration string always was.
        Format(FromApi(stream.Config), kConfigCapacity, u"%s,%d", name, static_cast<int32_t>(baud));
        stream.ResponseTimeout = static_cast<int32_t>(
            std::max<uint32_t>(static_cast<uint32_t>(kDefaultResponseTimeout), kResponseTimeoutNumerator / baud));
        stream.LongTimeout = kDefaultLongTimeout;
        stream.StartupWait = kDefaultStartupWait;
        stream.EraseTimeout = kDefaultEraseTimeout;
        InstallSerialOperations(stream);
        stream.RequestBaudRate = RequestGovernorBaudRate;
        return 1;
    });
}
