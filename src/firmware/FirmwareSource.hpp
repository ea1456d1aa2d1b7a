// Where the bytes of a firmware image come from during an upload: an open
// file or the caller's buffer. Bytes are taken one at a time into the packet
// that goes out next, so the image is never held in memory. One upload runs
// at a time; the source is process-wide.
#pragma once

#include <cstdint>
#include <cstdio>

namespace vek {

struct FirmwareSource {
    enum class Kind { None, File, Buffer };
    Kind kind = Kind::None;
    std::FILE* file = nullptr;
    const uint8_t* data = nullptr;
    uint64_t size = 0;       // bytes of the image
    uint64_t position = 0;   // bytes taken so far
    bool readFailed = false;  // the file ended or failed before size bytes
};

struct FirmwareState {
    FirmwareSource source;
};

FirmwareState& Firmware();
inline FirmwareSource& Source() { return Firmware().source; }

// Makes the file or the buffer the source of the next upload for the
// length of a scope; at its end the file is closed and the source forgotten.
class SourceScope {
public:
    SourceScope(std::FILE* file, uint64_t size);
    SourceScope(const uint8_t* data, uint64_t size);
    ~SourceScope();
    SourceScope(const SourceScope&) = delete;
    SourceScope& operator=(const SourceScope&) = delete;
};

// Whether an upload is running (its source is set).
inline bool UploadRunning() { return Source().kind != FirmwareSource::Kind::None; }

// A packet on its way to the governor: its bytes, how many are taken, and
// the 16-bit running sum of every image byte taken into any packet.
struct Packet {
    uint8_t* bytes = nullptr;
    uint16_t count = 0;
    uint16_t checksum = 0;
};

// Appends source bytes until the packet holds limit bytes or the source is
// exhausted (or its file fails). True when the packet is not empty.
bool FillPacket(Packet& packet, uint16_t limit);

// False, with a log line, once the file could not deliver all its bytes:
// the upload must not go on with a shortened image.
bool SourceIntact();

// Hands "Uploading firmware" and the share sent, in per mille, to the
// firmware progress callback when one is installed. An empty image reports
// nothing: it has no share to report.
void ReportUploadProgress();

}  // namespace vek
