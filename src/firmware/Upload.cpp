// The upload exports: the image from a file or a buffer is erased for,
// transferred with the protocol the governor offers, and the governor is
// connected again after its restart.
#include "VekLib.h"
#include "connection/DeviceInfo.hpp"
#include "core/CommLock.hpp"
#include "core/ExportGuard.hpp"
#include "core/Report.hpp"
#include "core/State.hpp"
#include "firmware/Firmware.hpp"
#include "firmware/FirmwareSource.hpp"
#include "platform/Platform.hpp"

#include <cstdio>

namespace vek {

namespace {

// The basic stream sends size + 2 as a 32-bit number.
constexpr uint64_t kMaxImageBytes = 0xFFFFFFFDu;

// Erases; a governor that restarted to erase is erased once more.
bool EraseForUpload() {
    LogMessage(u"Erasing firmware for upload...");
    bool restarted = false;
    if (!EraseFirmwareStep(&restarted)) return false;
    if (!restarted) return true;
    CallIdle();
    if (EraseFirmwareStep(nullptr)) return true;
    LogTranslated(u"Failed to launch the upload (status %u)", Core().lastStatus);
    return false;
}

// The upload of the source set by the caller.
int32_t Upload() {
    if (Source().size > kMaxImageBytes) {
        LogTranslated(u"Firmware image too large (%llu bytes)", Source().size);
        return 0;
    }
    if (!EraseForUpload()) return 0;
    const bool extended = HasCommandsInfo(commands_info::ExtendedFirmware);
    return (extended ? RunExtendedTransfer() : RunBasicTransfer()) ? 1 : 0;
}

// A callback may call into the library, but the source serves one upload.
bool AnotherUploadRunning() {
    if (!UploadRunning()) return false;
    LogTranslated(u"A firmware upload is already running");
    return true;
}

// The length of a readable file, found before anything is erased: a
// directory or an unreadable file fails here, not after the erase.
bool MeasureFile(std::FILE* file, uint64_t& size) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) return false;
    size = static_cast<uint64_t>(end);
    if (size == 0) return true;
    const int first = std::fgetc(file);
    return first != EOF && std::ungetc(first, file) != EOF;
}

}  // namespace

}  // namespace vek

extern "C" {

VEK_API int32_t VEK_CALL VekUploadFirmwareFromFile(const VekChar* path) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        LogTranslated(u"Uploading firmware from file...");
        CommLock lock;
        if (AnotherUploadRunning()) return 0;
        const Char* name = path ? FromApi(path) : u"";
        std::FILE* file = path ? platform::OpenFile(name, "rb") : nullptr;
        uint64_t size = 0;
        if (!file || !MeasureFile(file, size)) {
            if (file) std::fclose(file);
            LogTranslated(u"Failed to open file %s", name);
            return 0;
        }
        SourceScope source(file, size);
        return Upload();
    });
}

VEK_API int32_t VEK_CALL VekUploadFirmwareFromBuffer(const uint8_t* data, uint32_t size) {
    return vek::Guarded<int32_t>(__func__, 0, [&]() -> int32_t {
        using namespace vek;
        CommLock lock;
        if (AnotherUploadRunning()) return 0;
        if (!data && size != 0) {
            LogTranslated(u"VekUploadFirmwareFromBuffer: no data");
            return 0;
        }
        SourceScope source(data, size);
        return Upload();
    });
}

}  // extern "C"
