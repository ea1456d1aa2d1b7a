#include "firmware/FirmwareSource.hpp"

#include "core/Report.hpp"
#include "core/State.hpp"

namespace vek {

namespace {

constexpr uint64_t kPerMille = 1000;

// The next byte of the source; false when it has none left or its file fails.
bool TakeByte(FirmwareSource& source, uint8_t& byte) {
    if (source.position >= source.size || source.readFailed) return false;
    if (source.kind == FirmwareSource::Kind::Buffer) {
        byte = source.data[source.position];
    } else {
        const int c = std::fgetc(source.file);
        if (c == EOF) {
            source.readFailed = true;
            return false;
        }
        byte = static_cast<uint8_t>(c);
    }
    ++source.position;
    return true;
}

}  // namespace

FirmwareState& Firmware() {
    static FirmwareState state;
    return state;
}

SourceScope::SourceScope(std::FILE* file, uint64_t size) {
    Source() = FirmwareSource{FirmwareSource::Kind::File, file, nullptr, size, 0, false};
}

SourceScope::SourceScope(const uint8_t* data, uint64_t size) {
    Source() = FirmwareSource{FirmwareSource::Kind::Buffer, nullptr, data, size, 0, false};
}

SourceScope::~SourceScope() {
    if (Source().file) std::fclose(Source().file);
    Source() = FirmwareSource{};
}

bool FillPacket(Packet& packet, uint16_t limit) {
    FirmwareSource& source = Source();
    uint8_t byte = 0;
    while (packet.count < limit && TakeByte(source, byte)) {
        packet.bytes[packet.count++] = byte;
        packet.checksum = static_cast<uint16_t>(packet.checksum + byte);
    }
    return packet.count != 0;
}

bool SourceIntact() {
    const FirmwareSource& source = Source();
    if (!source.readFailed) return true;
    LogTranslated(u"Failed to read the firmware file after %llu of %llu bytes", source.position, source.size);
    return false;
}

void ReportUploadProgress() {
    const FirmwareSource& source = Source();
    if (!Core().callbacks.firmwareProgress || source.size == 0) return;
    ReportFirmwareProgress(static_cast<uint16_t>(source.position * kPerMille / source.size), u"Uploading firmware");
}

}  // namespace vek
