// vek errors --memory | --ack W1 W2 | --erase | --configure-args ID...:
// the error memory's part of the errors command. The memory is shown as a
// table of its records (extended governors) or of the errors it holds
// (basic governors), with the names of the errors and of the recorded
// arguments.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "ErrorsCommand.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"
#include "VekLib.h"

namespace vektool {

namespace {

constexpr const char* kMemory = "--memory";
constexpr const char* kAcknowledge = "--ack";
constexpr const char* kErase = "--erase";
constexpr const char* kConfigureArgs = "--configure-args";
constexpr const char* kNoArgs = "none";

// What the device record says about the memory.
constexpr uint16_t kErrorMemoryKindMask = 0x0003;
constexpr uint16_t kLastBasicKind = 1;
constexpr std::size_t kCommandsInfoOffset = 16;  // in VekStruct.ChecksumReply
constexpr uint16_t kErrorMemoryVariant = 0x0400;
constexpr uint16_t kWideArgs = 0x1000;
constexpr uint16_t kFormatWithWords = 1;
constexpr uint16_t kFormatWithTwoSets = 3;
constexpr std::size_t kEntryArgs = 16;

constexpr uint32_t kAllKinds = 0xFF;
constexpr uint16_t kValueTextCapacity = 64;
constexpr uint32_t kSecondsPerHour = 3600;
constexpr uint32_t kSecondsPerMinute = 60;

template <class... Args>
std::string Printf(const char* format, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Decimal, or hexadecimal after 0x.
uint32_t ParseNumber(const std::string& text, uint64_t max) {
    const bool hex = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
    if (text.empty() || text[0] == '-' || *end != 0 || errno == ERANGE || value > max) {
        throw ToolError("errors: invalid number '" + text + "'");
    }
    return static_cast<uint32_t>(value);
}

bool IsNumber(const std::string& word) {
    return !word.empty() && std::isdigit(static_cast<unsigned char>(word[0]));
}

std::string HoursMinutesSeconds(uint32_t seconds) {
    return Printf("%u:%02u:%02u", seconds / kSecondsPerHour, seconds % kSecondsPerHour / kSecondsPerMinute,
                  seconds % kSecondsPerMinute);
}

std::string NameOf(uint32_t id) {
    const ParDef* def = VekGetParDef(id);
    return def ? ToUtf8(def->Name) : "#" + std::to_string(id);
}

// The value as the parameter shows it (with its unit), or the raw word.
std::string ValueText(uint32_t id, uint16_t raw) {
    const ParDef* def = VekGetParDef(id);
    double real = 0;
    VekChar text[kValueTextCapacity] = {};
    if (!def || !VekConvertToRealValue(id, raw, &real) ||
        !VekFormatValue(id, real, text, kValueTextCapacity)) {
        return std::to_string(raw);
    }
    const std::string unit = ToUtf8(def->Unit);
    return ToUtf8(text) + (unit.empty() ? "" : " " + unit);
}

// What the extended records carry besides the number and the times.
struct RecordShape {
    uint16_t format = 0;
    bool word2 = false;
    bool wideArgs = false;  // the record size counts 4 bytes an argument
    std::vector<uint32_t> argIds;

    RecordShape() {
        const VekStruct& device = *VekGetVekStruct();
        const uint8_t* info = device.ChecksumReply + kCommandsInfoOffset;
        const uint16_t commandsInfo = static_cast<uint16_t>(info[0] | (info[1] << 8));
        format = device.ErrorMemoryFormat;
        word2 = format != 0 && (commandsInfo & kErrorMemoryVariant) != 0;
        wideArgs = (commandsInfo & kWideArgs) != 0;
        const std::size_t count = std::min<std::size_t>(device.ErrorArgCount, kEntryArgs);
        for (std::size_t i = 0; i < count; ++i) argIds.push_back(+device.ErrorArgIds[i]);
    }
    bool HasWords() const { return format == kFormatWithWords || format == kFormatWithTwoSets; }
    bool HasTwoSets() const { return format == kFormatWithTwoSets; }
    // Only a size of 4 bytes an argument leaves room for the second set.
    bool HasLastArgs() const { return HasTwoSets() && wideArgs && !argIds.empty(); }
};

std::string Words(const RecordShape& shape, const ErrorEntry& entry) {
    if (!shape.HasWords()) return "-";
    std::string words = Printf("%04X", entry.Word1);
    if (shape.word2) words += Printf(" %04X", entry.Word2);
    if (shape.HasTwoSets()) words += Printf(" %04X %04X", entry.Word3, entry.Word4);
    return words;
}

std::string ArgumentTexts(const RecordShape& shape, const uint16_t* values) {
    std::string text;
    for (std::size_t i = 0; i < shape.argIds.size(); ++i) {
        if (!text.empty()) text += ", ";
        text += NameOf(shape.argIds[i]) + "=" + ValueText(shape.argIds[i], values[i]);
    }
    return text.empty() ? "-" : text;
}

void PrintRecords() {
    const RecordShape shape;
    const uint32_t count = VekGetErrorEntriesNum();
    std::printf("%u record%s, format %u\n", count, count == 1 ? "" : "s", shape.format);
    std::string recorded;
    for (uint32_t id : shape.argIds)
        recorded += (recorded.empty() ? "" : ", ") + NameOf(id) + " (" + std::to_string(id) + ")";
    std::printf("Recorded arguments: %s\n", recorded.empty() ? "none" : recorded.c_str());
    if (count == 0) return;
    std::printf("%6s  %-24s %11s %11s %5s  %-19s %s\n", "Number", "Name", "First", "Last", "Count", "Words",
                "Arguments");
    for (uint32_t i = 0; i < count; ++i) {
        const ErrorEntry& entry = *VekGetErrorEntryByIndex(i);
        // The entry is packed: copy the argument sets out before using them.
        const auto* bytes = reinterpret_cast<const uint8_t*>(&entry);
        uint16_t args[kEntryArgs];
        uint16_t lastArgs[kEntryArgs];
        std::memcpy(args, bytes + offsetof(ErrorEntry, Args), sizeof args);
        std::memcpy(lastArgs, bytes + offsetof(ErrorEntry, Args2), sizeof lastArgs);
        std::printf("%6u  %-24s %11s %11s %5u  %-19s %s\n", entry.Id, NameOf(entry.Id).c_str(),
                    HoursMinutesSeconds(entry.Time1).c_str(), HoursMinutesSeconds(entry.Time2).c_str(),
                    static_cast<unsigned>(entry.Count), Words(shape, entry).c_str(),
                    ArgumentTexts(shape, args).c_str());
        if (shape.HasLastArgs()) std::printf("%85s %s\n", "last:", ArgumentTexts(shape, lastArgs).c_str());
    }
}

// A basic memory is the words of the error definitions: 0 none.
void PrintBasicErrors() {
    const uint32_t count = VekGetErrorEntriesNum();
    std::printf("%u error%s in the basic error memory\n", count, count == 1 ? "" : "s");
    if (count == 0) return;
    std::printf("%6s  %-24s %5s\n", "Number", "Name", "Word");
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t id = VekGetErrorEntryByIndex(i)->Id;
        std::printf("%6u  %-24s %5u\n", id, NameOf(id).c_str(),
                    static_cast<unsigned>(VekGetParDef(id)->RawValue));
    }
}

void ShowMemory(Session& session) {
    ConnectWithDefinitions(session);
    if (!VekReadErrorMemory()) throw ToolError("the error memory could not be read (see --log FILE)");
    std::printf("Error memory of the %s: ", session.Describe().c_str());
    if ((VekGetVekStruct()->Features & kErrorMemoryKindMask) > kLastBasicKind) {
        PrintRecords();
    } else {
        PrintBasicErrors();
    }
}

void Acknowledge(Session& session, const Arguments& words) {
    if (words.size() != 2) throw ToolError("errors: --ack takes two words (W1 W2)");
    const uint32_t word1 = ParseNumber(words[0], UINT16_MAX);
    const uint32_t word2 = ParseNumber(words[1], UINT16_MAX);
    session.Connect();
    if (!VekAcknowledgeErrorMemoryItem(word1, word2)) {
        throw ToolError("the governor did not acknowledge (status " + std::to_string(VekGetLastError()) +
                        ", see --log FILE)");
    }
    std::printf("Acknowledged %u %u\n", word1, word2);
}

void Erase(Session& session, const Arguments& rest) {
    if (!rest.empty()) throw ToolError("errors: --erase takes no arguments");
    session.Connect();
    if (!VekEraseErrorMemory()) {
        throw ToolError("the error memory was not erased (status " + std::to_string(VekGetLastError()) +
                        ", see --log FILE)");
    }
    std::printf("Error memory erased\n");
}

// Numbers, or names of downloaded definitions; "none" records no arguments.
void ConfigureArgs(Session& session, const Arguments& items) {
    ConnectWithDefinitions(session);
    const bool none = items.size() == 1 && items.front() == kNoArgs;
    std::vector<int32_t> ids;
    for (const std::string& item : none ? Arguments{} : items) {
        if (IsNumber(item)) {
            ids.push_back(static_cast<int32_t>(ParseNumber(item, INT32_MAX)));
            continue;
        }
        const ParDef* def = VekFindParDefByName(AsVekText(FromUtf8(item)), kAllKinds);
        if (!def) throw ToolError("errors: no definition named '" + item + "'");
        ids.push_back(static_cast<int32_t>(def->Id));
    }
    if (!VekConfigureErrorMemoryArgs(static_cast<int32_t>(ids.size()), ids.data())) {
        throw ToolError("the error memory arguments were not configured (see --log FILE)");
    }
    std::string names;
    for (int32_t id : ids) names += (names.empty() ? "" : ", ") + NameOf(static_cast<uint32_t>(id));
    std::printf("Recorded arguments: %s\n", names.empty() ? "none" : names.c_str());
}

int RunErrorMemory(Session& session, const Arguments& arguments) {
    const std::string& operation = arguments.front();
    const Arguments rest(arguments.begin() + 1, arguments.end());
    if (operation == kMemory) {
        if (!rest.empty()) throw ToolError("errors: --memory takes no arguments");
        ShowMemory(session);
    } else if (operation == kAcknowledge) {
        Acknowledge(session, rest);
    } else if (operation == kErase) {
        Erase(session, rest);
    } else if (operation == kConfigureArgs) {
        ConfigureArgs(session, rest);
    } else {
        throw ToolError("errors: use one of --memory, --ack W1 W2, --erase, --configure-args ID...");
    }
    return 0;
}

[[maybe_unused]] const bool installed =
    AddErrorsExtension({{kMemory, kAcknowledge, kErase, kConfigureArgs}, RunErrorMemory});

}  // namespace

}  // namespace vektool
