// The connection sequence, VekInit, VekClose and the boot loader test.
#include "connection/Connection.hpp"

#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "transport/Stream.hpp"

namespace vek {

namespace {

// A governor in its boot loader answers with a checksum block of at least
// this many bytes whose BootstrapWord is 0.
constexpr uint16_t kBootLoaderBlockMinimum = 7;
// What a boot loader offers: error memory kind 2, and hardware major 5 when
// the version block left it unknown.
constexpr uint16_t kBootLoaderErrorMemoryKind = 2;
constexpr uint8_t kBootLoaderHardwareMajor = 5;

bool CloseConnection() {
    VekClose();
    return true;
}

bool SetResponseTimeout() {
    // For good: every later reply is awaited for ResponseTimeout.
    return StreamSetTimeout(Stream().ResponseTimeout);
}

bool SendIdentifierIgnoringRefusal() {
    SendIdentifier();  // a governor that refuses the identifier still serves us
    return true;
}

bool IdentifyDevice() {
    if (!VekInBootstrapMode()) return VekReadIdentification() != 0;
    VekStruct& device = Device();
    device.Features = static_cast<uint16_t>((device.Features & ~features::ErrorMemoryKindMask) |
                                            kBootLoaderErrorMemoryKind);
    if (device.HardwareMajor == 0) device.HardwareMajor = kBootLoaderHardwareMajor;
    return true;
}

struct Step {
    const Char* line;  // logged before the step runs
    bool (*run)();
    const Char* failure;  // logged (translated) when it fails; null when the step reports alone
};

constexpr Step kSteps[] = {
    {u" Vek close", CloseConnection, nullptr},
    {u" Stream open", StreamOpen, nullptr},
    {u" Stream config", StreamConfigure, nullptr},
    {u" Vek synchronize", Synchronize, u"Failed to synchronize communication"},
    {u" Stream set timeout", SetResponseTimeout, nullptr},
    {u" Stream change baudrate", StreamChangeBaudRate, u"Failed to change the baudrate"},
    {u" Vek read version", ReadVersion, u"Failed to read the version"},
    {u" Vek read par def checksum", ReadChecksumBlock, u"Failed to read the parameters checksum"},
    {u" Vek send identifier", SendIdentifierIgnoringRefusal, nullptr},
    {u" Get identification", IdentifyDevice, u"Failed to read the device identification"},
};

}  // namespace

bool RunConnectionSequence() {
    LogMessage(u"Initializing...");
    LogMessage(u"  Stream lock");
    CommLock lock;
    for (const Step& step : kSteps) {
        LogMessage(step.line);
        if (step.run()) continue;
        if (step.failure) LogTranslated(step.failure);
        return false;
    }
    return true;
}

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekInit(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        // Held through the closing of a failed connection as well.
        vek::CommLock lock;
        if (vek::RunConnectionSequence()) return 1;
        VekClose();
        return 0;
    });
}

VEK_API int32_t VEK_CALL VekClose(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        vek::CommLock lock;
        vek::StreamClose();
        return 1;
    });
}

VEK_API int32_t VEK_CALL VekInBootstrapMode(void) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        const bool longEnough = Device().ChecksumReplyLength >= kBootLoaderBlockMinimum;
        return longEnough && ChecksumBlockWord(checksum_block::BootstrapWord) == 0 ? 1 : 0;
    });
}

}  // extern "C"
