// vek info: connect and print the device record.
#include "Command.hpp"
#include "JsonOut.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "TextOut.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vektool {

namespace {

// Words of the definition checksum block in VekStruct.ChecksumReply.
constexpr std::size_t kParDefTotalBytesOffset = 8;
constexpr std::size_t kSoftwareExtensionOffset = 14;
constexpr std::size_t kCommandsInfoOffset = 16;
constexpr std::size_t kParDefNameLengthOffset = 26;
constexpr std::size_t kParDefTotalBytesLongOffset = 28;
constexpr uint16_t kDefaultParDefNameLength = 20;
constexpr int32_t kLastDeviceKind = 3;

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
    const char* key;
    std::size_t offset;
    std::size_t capacity;
};
constexpr TextRow kIdentificationRows[] = {
    {"Serial date", "serialDate", offsetof(VekStruct, SerialDate), sizeof(VekStruct::SerialDate) / sizeof(VekChar)},
    {"Serial number", "serialNumber", offsetof(VekStruct, SerialNumber),
     sizeof(VekStruct::SerialNumber) / sizeof(VekChar)},
    {"PPS number", "ppsNumber", offsetof(VekStruct, PpsNumber), sizeof(VekStruct::PpsNumber) / sizeof(VekChar)},
    {"Board number", "boardNumber", offsetof(VekStruct, BoardNumber),
     sizeof(VekStruct::BoardNumber) / sizeof(VekChar)},
};

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Long(const uint8_t* p) { return Word(p) | (static_cast<uint32_t>(Word(p + 2)) << 16); }

template <std::size_t N>
std::vector<std::string> NamesOf(uint16_t value, const NamedBit (&bits)[N]) {
    std::vector<std::string> names;
    for (const NamedBit& bit : bits) {
        if (value & bit.bit) names.push_back(bit.name);
    }
    return names;
}

std::string Listed(std::vector<std::string> names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

std::string IdentificationText(const VekStruct& d, const TextRow& row) {
    return ToUtf8(reinterpret_cast<const unsigned char*>(&d) + row.offset, row.capacity);
}

// The record's figures, once for the text and the JSON output.
struct DeviceFacts {
    explicit DeviceFacts(const VekStruct& d)
        : features(d.Features),
          commandsInfo(Word(d.ChecksumReply + kCommandsInfoOffset)),
          softwareExtension(Word(d.ChecksumReply + kSoftwareExtensionOffset)) {
        const uint32_t totalLong = Long(d.ChecksumReply + kParDefTotalBytesLongOffset);
        const uint16_t nameLength = Word(d.ChecksumReply + kParDefNameLengthOffset);
        definitionBytes = totalLong ? totalLong : Word(d.ChecksumReply + kParDefTotalBytesOffset);
        definitionNameLength = nameLength ? nameLength : kDefaultParDefNameLength;
    }
    uint16_t features;
    uint16_t commandsInfo;
    uint16_t softwareExtension;
    uint32_t definitionBytes;
    uint16_t definitionNameLength;
};

void Row(const char* label, const std::string& value) {
    char line[128];
    std::snprintf(line, sizeof line, "  %-20s ", label);
    PrintResult(line + value);
}

std::string Hex(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string TwoDigits(unsigned value) { return (value < 10 ? "0" : "") + std::to_string(value); }

void PrintText(const Session& session, const VekStruct& d) {
    const DeviceFacts facts(d);
    PrintResult("Connected to the " + session.Describe());
    PrintResult("Device");
    Row("Kind", d.DeviceKind >= 1 && d.DeviceKind <= kLastDeviceKind ? std::to_string(d.DeviceKind) : "unknown");
    Row("Hardware", std::to_string(d.HardwareMajor) + "." + TwoDigits(d.HardwareMinor) + " (" +
                        std::to_string(d.HardwareVersion) + ")");
    Row("Software", std::to_string(d.SoftwareHigh) + "." + std::to_string(d.SoftwareMid) + "." +
                        TwoDigits(d.SoftwareLow) + " (" + std::to_string(d.SoftwareVersion) + ")");
    Row("Boot loader", VekInBootstrapMode() ? "yes" : "no");
    PrintResult("Identification");
    for (const TextRow& row : kIdentificationRows) Row(row.label, IdentificationText(d, row));
    PrintResult("Protocol");
    std::vector<std::string> features = NamesOf(facts.features, kFeatureBits);
    features.insert(features.begin(), "error memory kind " + std::to_string(facts.features & kErrorMemoryKindMask));
    Row("Features", Hex(facts.features) + " (" + Listed(features) + ")");
    Row("Commands info", Hex(facts.commandsInfo) + " (" + Listed(NamesOf(facts.commandsInfo, kCommandsInfoBits)) + ")");
    Row("Software extension", std::to_string(facts.softwareExtension));
    Row("IntCode definitions", std::to_string(d.IntCodeCount));
    Row("Definition bytes", std::to_string(facts.definitionBytes));
    Row("Definition name", std::to_string(facts.definitionNameLength) + " characters");
    Row("Checksum block", std::to_string(d.ChecksumReplyLength) + " bytes");
}

void PrintJsonRecord(const Session& session, const VekStruct& d) {
    const DeviceFacts facts(d);
    Json identification = Json::object();
    for (const TextRow& row : kIdentificationRows) identification[row.key] = IdentificationText(d, row);
    PrintJson({
        {"connection", session.Describe()},
        {"device",
         {{"kind", +d.DeviceKind},
          {"hardware", {{"major", +d.HardwareMajor}, {"minor", +d.HardwareMinor}, {"version", +d.HardwareVersion}}},
          {"software",
           {{"high", +d.SoftwareHigh},
            {"mid", +d.SoftwareMid},
            {"low", +d.SoftwareLow},
            {"version", +d.SoftwareVersion},
            {"extension", facts.softwareExtension}}},
          {"bootLoader", VekInBootstrapMode() != 0}}},
        {"identification", identification},
        {"protocol",
         {{"features", facts.features},
          {"featureNames", NamesOf(facts.features, kFeatureBits)},
          {"errorMemoryKind", facts.features & kErrorMemoryKindMask},
          {"commandsInfo", facts.commandsInfo},
          {"commandsInfoNames", NamesOf(facts.commandsInfo, kCommandsInfoBits)},
          {"intCodeDefinitions", +d.IntCodeCount},
          {"definitionBytes", facts.definitionBytes},
          {"definitionNameLength", facts.definitionNameLength},
          {"checksumBlockBytes", +d.ChecksumReplyLength}}},
    });
}

}  // namespace

void AddInfo(CommandSet& commands) {
    commands.Add("info", "connect and print the device record", [](Session& session) {
        session.Connect();
        const VekStruct device = *VekGetVekStruct();
        if (JsonWanted()) {
            PrintJsonRecord(session, device);
        } else {
            PrintText(session, device);
        }
        return 0;
    });
}

}  // namespace vektool
