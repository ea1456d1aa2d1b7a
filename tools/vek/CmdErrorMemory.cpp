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

#include "DefinitionDownload.hpp"
#include "DefinitionKinds.hpp"
#include "ErrorsCommand.hpp"
#include "JsonOut.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"
#include "ValueFormat.hpp"

#include "VekLib.h"

namespace vektool {

namespace {

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

constexpr uint32_t kSecondsPerHour = 3600;
constexpr uint32_t kSecondsPerMinute = 60;

template <class... Args>
std::string Printf(const char* format, Args... args) {
    char text[512];
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
    if (!def || !VekConvertToRealValue(id, raw, &real)) return std::to_string(raw);
    return WithUnit(RealValueText(id, real), *def);
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

// The record's argument set (packed: copied out before use).
std::vector<uint16_t> ArgumentSet(const ErrorEntry& entry, std::size_t offset) {
    uint16_t values[kEntryArgs];
    std::memcpy(values, reinterpret_cast<const uint8_t*>(&entry) + offset, sizeof values);
    return {values, values + kEntryArgs};
}

Json ArgumentsJson(const RecordShape& shape, const std::vector<uint16_t>& values) {
    Json arguments = Json::array();
    for (std::size_t i = 0; i < shape.argIds.size(); ++i) {
        const uint32_t id = shape.argIds[i];
        double real = 0;
        const bool hasReal = VekGetParDef(id) && VekConvertToRealValue(id, values[i], &real);
        arguments.push_back({{"number", id},
                             {"name", NameOf(id)},
                             {"raw", values[i]},
                             {"value", hasReal ? Json(real) : Json(nullptr)},
                             {"text", ValueText(id, values[i])}});
    }
    return arguments;
}

Json RecordsJson(const RecordShape& shape) {
    Json records = Json::array();
    for (uint32_t i = 0; i < VekGetErrorEntriesNum(); ++i) {
        const ErrorEntry& entry = *VekGetErrorEntryByIndex(i);
        Json record = {{"number", +entry.Id},
                       {"name", NameOf(entry.Id)},
                       {"firstSeconds", +entry.Time1},
                       {"lastSeconds", +entry.Time2},
                       {"count", +entry.Count}};
        if (shape.HasWords()) {
            Json words = {+entry.Word1};
            if (shape.word2) words.push_back(+entry.Word2);
            if (shape.HasTwoSets()) words.insert(words.end(), {+entry.Word3, +entry.Word4});
            record["words"] = words;
        }
        record["arguments"] = ArgumentsJson(shape, ArgumentSet(entry, offsetof(ErrorEntry, Args)));
        if (shape.HasLastArgs()) {
            record["lastArguments"] = ArgumentsJson(shape, ArgumentSet(entry, offsetof(ErrorEntry, Args2)));
        }
        records.push_back(record);
    }
    Json recorded = Json::array();
    for (uint32_t id : shape.argIds) recorded.push_back({{"number", id}, {"name", NameOf(id)}});
    return {{"kind", "records"}, {"format", shape.format}, {"recordedArguments", recorded}, {"records", records}};
}

void PrintRecords(const RecordShape& shape) {
    const uint32_t count = VekGetErrorEntriesNum();
    PrintResult(Printf("%u record%s, format %u", count, count == 1 ? "" : "s", shape.format));
    std::string recorded;
    for (uint32_t id : shape.argIds)
        recorded += (recorded.empty() ? "" : ", ") + NameOf(id) + " (" + std::to_string(id) + ")";
    PrintResult("Recorded arguments: " + (recorded.empty() ? std::string("none") : recorded));
    if (count == 0) return;
    PrintResult(Printf("%6s  %-24s %11s %11s %5s  %-19s %s", "Number", "Name", "First", "Last", "Count", "Words",
                       "Arguments"));
    for (uint32_t i = 0; i < count; ++i) {
        const ErrorEntry& entry = *VekGetErrorEntryByIndex(i);
        PrintResult(Printf("%6u  %-24s %11s %11s %5u  %-19s ", entry.Id, NameOf(entry.Id).c_str(),
                           HoursMinutesSeconds(entry.Time1).c_str(), HoursMinutesSeconds(entry.Time2).c_str(),
                           static_cast<unsigned>(entry.Count), Words(shape, entry).c_str()) +
                    ArgumentTexts(shape, ArgumentSet(entry, offsetof(ErrorEntry, Args)).data()));
        if (shape.HasLastArgs()) {
            PrintResult(Printf("%85s ", "last:") +
                        ArgumentTexts(shape, ArgumentSet(entry, offsetof(ErrorEntry, Args2)).data()));
        }
    }
}

// A basic memory is the words of the error definitions: 0 none.
Json BasicErrorsJson() {
    Json errors = Json::array();
    for (uint32_t i = 0; i < VekGetErrorEntriesNum(); ++i) {
        const uint32_t id = VekGetErrorEntryByIndex(i)->Id;
        errors.push_back({{"number", id}, {"name", NameOf(id)}, {"word", +VekGetParDef(id)->RawValue}});
    }
    return {{"kind", "basic"}, {"errors", errors}};
}

void PrintBasicErrors() {
    const uint32_t count = VekGetErrorEntriesNum();
    PrintResult(Printf("%u error%s in the basic error memory", count, count == 1 ? "" : "s"));
    if (count == 0) return;
    PrintResult(Printf("%6s  %-24s %5s", "Number", "Name", "Word"));
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t id = VekGetErrorEntryByIndex(i)->Id;
        PrintResult(Printf("%6u  %-24s %5u", id, NameOf(id).c_str(), static_cast<unsigned>(VekGetParDef(id)->RawValue)));
    }
}

void ShowMemory(Session& session) {
    ConnectWithDefinitions(session);
    if (VekInBootstrapMode()) {
        throw ToolError("errors: the " + session.Describe() + " is in its boot loader, where it keeps no error memory");
    }
    session.Require("reading the error memory", [] { return VekReadErrorMemory() != 0; });
    const bool records = (VekGetVekStruct()->Features & kErrorMemoryKindMask) > kLastBasicKind;
    const RecordShape shape;
    if (JsonWanted()) {
        Json memory = records ? RecordsJson(shape) : BasicErrorsJson();
        memory["connection"] = session.Describe();
        PrintJson(memory);
        return;
    }
    const std::string title = "Error memory of the " + session.Describe() + ": ";
    // The title and the first line of the listing share a line.
    std::fputs(title.c_str(), stdout);
    if (records) {
        PrintRecords(shape);
    } else {
        PrintBasicErrors();
    }
}

void Acknowledge(Session& session, const std::vector<std::string>& words) {
    const uint32_t word1 = ParseNumber(words[0], UINT16_MAX);
    const uint32_t word2 = ParseNumber(words[1], UINT16_MAX);
    session.Connect();
    session.Require("acknowledging " + words[0] + " " + words[1],
                    [&] { return VekAcknowledgeErrorMemoryItem(word1, word2) != 0; });
    PrintResult(Printf("Acknowledged %u %u", word1, word2));
}

void Erase(Session& session) {
    session.Connect();
    session.Require("erasing the error memory", [] { return VekEraseErrorMemory() != 0; });
    PrintResult("Error memory erased");
}

// Numbers, or names of downloaded definitions; "none" records no arguments.
void ConfigureArgs(Session& session, const std::vector<std::string>& items) {
    ConnectWithDefinitions(session);
    const bool none = items.size() == 1 && items.front() == kNoArgs;
    std::vector<int32_t> ids;
    for (const std::string& item : none ? std::vector<std::string>{} : items) {
        if (IsNumber(item)) {
            ids.push_back(static_cast<int32_t>(ParseNumber(item, INT32_MAX)));
            continue;
        }
        const ParDef* def = VekFindParDefByName(AsVekText(FromUtf8(item)), kAllKinds);
        if (!def) throw ToolError("errors: no definition named '" + item + "'");
        ids.push_back(static_cast<int32_t>(def->Id));
    }
    session.Require("configuring the error memory arguments", [&ids] {
        return VekConfigureErrorMemoryArgs(static_cast<int32_t>(ids.size()), ids.data()) != 0;
    });
    std::string names;
    for (int32_t id : ids) names += (names.empty() ? "" : ", ") + NameOf(static_cast<uint32_t>(id));
    PrintResult("Recorded arguments: " + (names.empty() ? std::string("none") : names));
}

}  // namespace

bool WantsErrorMemory(const ErrorsOptions& options) {
    return options.memory || !options.acknowledge.empty() || options.erase || !options.configureArgs.empty();
}

int RunErrorMemory(Session& session, const ErrorsOptions& options) {
    if (options.memory) {
        ShowMemory(session);
    } else if (!options.acknowledge.empty()) {
        Acknowledge(session, options.acknowledge);
    } else if (options.erase) {
        Erase(session);
    } else {
        ConfigureArgs(session, options.configureArgs);
    }
    return 0;
}

}  // namespace vektool
