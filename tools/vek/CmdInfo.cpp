// vek info: connect and print the device record.
#include "Command.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

namespace vektool {

namespace {

// Words of the definition checksum block in VekStruct.ChecksumReply.
constexpr std::size_t kParDefTotalBytesOffset = 8;
constexpr std::size_t kSoftwareExtensionOffset = 14;
constexpr std::size_t kCommandsInfoOffset = 16;
constexpr std::size_t kParDefNameLengthOffset = 26;
constexpr std::size_t kParDefTotalBytesLongOffset = 28;
constexpr uint16_t kDefaultParDefNameLength = 20;

struct NamedBit {
    uint16_t bit;
    const char* name;
};
constexpr NamedBit kFeatureBits[] = {{0x0004, "identification"}, {0x0008, "click test"}};
constexpr uint16_t kErrorMemoryKindMask = 0x0003;
constexpr NamedBit kCommandsInfoBits[] = {
    {0x0020, "4-byte actual errors"},     {0x0100, "extended firmware protocol"},
    {0x0400, "error memory variant"},     {0x0800, "enhanced features"},
    {0x1000, "32-bit parameter numbers"}, {0x4000, "parameter pages"},
};

// The identification texts, reached through their offsets: the packed
// record puts them at odd addresses.
struct TextRow {
    const char* label;
    std::size_t offset;
    std::size_t capacity;
};
constexpr TextRow kIdentificationRows[] = {
    {"Serial date", offsetof(VekStruct, SerialDate), sizeof(VekStruct::SerialDate) / sizeof(VekChar)},
    {"Serial number", offsetof(VekStruct, SerialNumber), sizeof(VekStruct::SerialNumber) / sizeof(VekChar)},
    {"PPS number", offsetof(VekStruct, PpsNumber), sizeof(VekStruct::PpsNumber) / sizeof(VekChar)},
    {"Board number", offsetof(VekStruct, BoardNumber), sizeof(VekStruct::BoardNumber) / sizeof(VekChar)},
};

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Long(const uint8_t* p) { return Word(p) | (static_cast<uint32_t>(Word(p + 2)) << 16); }

std::string NamesOf(uint16_t value, const NamedBit* bits, std::size_t count, std::string names) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!(value & bits[i].bit)) continue;
        if (!names.empty()) names += ", ";
        names += bits[i].name;
    }
    return names.empty() ? "none" : names;
}

void Row(const char* label, const std::string& value) { std::printf("  %-20s %s\n", label, value.c_str()); }

std::string Hex(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

void PrintDevice(const VekStruct& d) {
    static const char* const kKinds[] = {"unknown", "1", "2", "3"};
    std::printf("Device\n");
    Row("Kind", d.DeviceKind >= 0 && d.DeviceKind <= 3 ? kKinds[d.DeviceKind] : std::to_string(d.DeviceKind));
    Row("Hardware", std::to_string(d.HardwareMajor) + "." + (d.HardwareMinor < 10 ? "0" : "") +
                        std::to_string(d.HardwareMinor) + " (" + std::to_string(d.HardwareVersion) + ")");
    Row("Software", std::to_string(d.SoftwareHigh) + "." + std::to_string(d.SoftwareMid) + "." +
                        (d.SoftwareLow < 10 ? "0" : "") + std::to_string(d.SoftwareLow) + " (" +
                        std::to_string(d.SoftwareVersion) + ")");
    Row("Boot loader", VekInBootstrapMode() ? "yes" : "no");
    std::printf("Identification\n");
    for (const TextRow& row : kIdentificationRows) {
        Row(row.label, ToUtf8(reinterpret_cast<const unsigned char*>(&d) + row.offset, row.capacity));
    }
}

void PrintProtocol(const VekStruct& d) {
    const uint16_t features = d.Features;
    const uint16_t commandsInfo = Word(d.ChecksumReply + kCommandsInfoOffset);
    const uint32_t totalLong = Long(d.ChecksumReply + kParDefTotalBytesLongOffset);
    const uint16_t nameLength = Word(d.ChecksumReply + kParDefNameLengthOffset);
    std::printf("Protocol\n");
    Row("Features", Hex(features) + " (" +
                        NamesOf(features, kFeatureBits, std::size(kFeatureBits),
                                "error memory kind " + std::to_string(features & kErrorMemoryKindMask)) +
                        ")");
    Row("Commands info", Hex(commandsInfo) + " (" +
                             NamesOf(commandsInfo, kCommandsInfoBits, std::size(kCommandsInfoBits), "") +
                             ")");
    Row("Software extension", std::to_string(Word(d.ChecksumReply + kSoftwareExtensionOffset)));
    Row("IntCode definitions", std::to_string(d.IntCodeCount));
    Row("Definition bytes",
        std::to_string(totalLong ? totalLong : Word(d.ChecksumReply + kParDefTotalBytesOffset)));
    Row("Definition name",
        std::to_string(nameLength ? nameLength : kDefaultParDefNameLength) + " characters");
    Row("Checksum block", std::to_string(d.ChecksumReplyLength) + " bytes");
}

}  // namespace

int RunInfo(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) throw ToolError("info takes no arguments");
    session.Connect();
    const VekStruct& device = *VekGetVekStruct();
    std::printf("Connected to the %s\n", session.Describe().c_str());
    PrintDevice(device);
    PrintProtocol(device);
    return 0;
}

}  // namespace vektool
