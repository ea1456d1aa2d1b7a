// VekConfigureSerialStream: the configuration string, the time-outs that
// follow from the rate, and the port's operations (a serial port, or a
// serial port reached over the network) with the governor's rate request.
#include "connection/Connection.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "transport/NetworkPort.hpp"
#include "transport/SerialPort.hpp"
#include "transport/Stream.hpp"

#include <algorithm>

namespace vek {

namespace {

// Two seconds at 9600 baud, shorter in proportion at faster rates (the wire
// time of 1920 bytes), but never below the default reply time-out.
constexpr uint32_t kResponseTimeoutNumerator = 19200000;

}  // namespace

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
        if (IsNetworkPortName(name)) {
            InstallNetworkOperations(stream);
        } else {
            InstallSerialOperations(stream);
        }
        stream.RequestBaudRate = RequestGovernorBaudRate;
        return 1;
    });
}
