#include "RecordJson.hpp"

#include "../TextOut.hpp"

#include <cstddef>
#include <cstring>

namespace vektool::ui {

namespace {

constexpr uint32_t kKindPage = 10000;
constexpr uint8_t kRangeIntCode = 250;  // limits are the values of two range parameters
constexpr uint16_t kTextCapacity = 64;
constexpr std::size_t kCommandsInfoOffset = 16;  // in the checksum block
constexpr uint16_t kErrorMemoryKindMask = 0x0003;
constexpr uint16_t kLastBasicKind = 1;
constexpr std::size_t kEntryArgs = 16;

struct Kind {
    const char* name;
    uint32_t last;  // highest remainder of the number divided by 10000
    uint32_t maskBit;
};
constexpr Kind kKinds[] = {
    {"parameters", 1999, 0x01}, {"measurements", 3999, 0x04}, {"functions", 5999, 0x02}, {"curves", 9999, 0x08}};

// A text field of the packed device record, which may sit at an odd address.
#define VEK_DEVICE_TEXT(device, field) \
    ToUtf8(reinterpret_cast<const unsigned char*>(&(device)) + offsetof(VekStruct, field), \
           sizeof(VekStruct::field) / sizeof(VekChar))

std::string TwoDigits(unsigned value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string NameOf(uint32_t id) {
    const ParDef* def = VekGetParDef(id);
    return def ? ToUtf8(def->Name) : "#" + std::to_string(id);
}

// A recorded argument as its parameter shows values, with the unit; the raw
// word when the number has no definition.
std::string ArgumentText(uint32_t id, uint16_t raw) {
    const ParDef* def = VekGetParDef(id);
    double real = 0;
    VekChar text[kTextCapacity] = {};
    if (!def || !VekConvertToRealValue(id, raw, &real) || !VekFormatValue(id, real, text, kTextCapacity)) {
        return std::to_string(raw);
    }
    const std::string unit = ToUtf8(def->Unit);
    return ToUtf8(text) + (unit.empty() ? "" : " " + unit);
}

Json Limits(const ParDef& def) {
    if (def.IntCode == kRangeIntCode) {
        return {{"min", "value of " + std::to_string(static_cast<long long>(def.RealMin))},
                {"max", "value of " + std::to_string(static_cast<long long>(def.RealMax))}};
    }
    VekChar low[kTextCapacity] = {};
    VekChar high[kTextCapacity] = {};
    if (!VekGetValueMinMax(def.Id, low, kTextCapacity, high, kTextCapacity)) return {{"min", ""}, {"max", ""}};
    return {{"min", ToUtf8(low)}, {"max", ToUtf8(high)}};
}

}  // namespace

const char* KindOf(uint32_t id) {
    for (const Kind& kind : kKinds) {
        if (id % kKindPage <= kind.last) return kind.name;
    }
    return kKinds[0].name;
}

uint32_t KindMask(const std::string& name) {
    for (const Kind& kind : kKinds) {
        if (name == kind.name) return kind.maskBit;
    }
    return 0;
}

std::string ValueText(uint32_t id) {
    VekChar text[kTextCapacity] = {};
    return VekGetValue(id, text, kTextCapacity) ? ToUtf8(text) : "";
}

Json DeviceJson() {
    const VekStruct& d = *VekGetVekStruct();
    const uint16_t commandsInfo =
        static_cast<uint16_t>(d.ChecksumReply[kCommandsInfoOffset] | (d.ChecksumReply[kCommandsInfoOffset + 1] << 8));
    return {
        {"kind", d.DeviceKind},
        {"hardware",
         {{"major", d.HardwareMajor}, {"minor", d.HardwareMinor}, {"version", +d.HardwareVersion},
          {"text", std::to_string(d.HardwareMajor) + "." + TwoDigits(d.HardwareMinor)}}},
        {"software",
         {{"high", d.SoftwareHigh}, {"mid", d.SoftwareMid}, {"low", d.SoftwareLow}, {"version", +d.SoftwareVersion},
          {"text", std::to_string(d.SoftwareHigh) + "." + std::to_string(d.SoftwareMid) + "." +
                       TwoDigits(d.SoftwareLow)}}},
        {"userVersion", +d.UserVersion},
        {"bootLoader", VekInBootstrapMode() != 0},
        {"identification",
         {{"serialDate", VEK_DEVICE_TEXT(d, SerialDate)},
          {"serialNumber", VEK_DEVICE_TEXT(d, SerialNumber)},
          {"ppsNumber", VEK_DEVICE_TEXT(d, PpsNumber)},
          {"boardNumber", VEK_DEVICE_TEXT(d, BoardNumber)}}},
        {"protocol",
         {{"features", +d.Features},
          {"commandsInfo", commandsInfo},
          {"errorMemoryKind", d.Features & kErrorMemoryKindMask},
          {"errorMemoryFormat", +d.ErrorMemoryFormat},
          {"intCodes", +d.IntCodeCount},
          {"checksumBlock", +d.ChecksumReplyLength}}},
        {"definitions", VekGetParDefNum()},
    };
}

Json DefinitionJson(const ParDef& def) {
    Json json = {{"number", +def.Id},
                 {"name", ToUtf8(def.Name)},
                 {"kind", KindOf(def.Id)},
                 {"unit", ToUtf8(def.Unit)},
                 {"text", ValueText(def.Id)},
                 {"raw", +def.RawValue}};
    json.update(Limits(def));
    if (def.ArrayLength > 0) json["array"] = {{"index", def.ArrayIndex}, {"length", def.ArrayLength}};
    return json;
}

Json PendingErrorsJson() {
    Json errors = Json::array();
    for (uint32_t i = 0; i < VekGetPendingErrorsNum(); ++i) {
        const uint32_t id = VekGetPendingErrorId(i);
        const ParDef* def = VekGetParDef(id);
        errors.push_back({{"number", id},
                          {"name", NameOf(id)},
                          {"state", def ? +def->RawValue : 0},
                          {"old", VekGetPendingErrorOldValue(i)}});
    }
    return errors;
}

Json ErrorMemoryJson() {
    const VekStruct& device = *VekGetVekStruct();
    const bool extended = (device.Features & kErrorMemoryKindMask) > kLastBasicKind;
    const std::size_t argCount = std::min<std::size_t>(device.ErrorArgCount, kEntryArgs);
    Json records = Json::array();
    for (uint32_t i = 0; i < VekGetErrorEntriesNum(); ++i) {
        const ErrorEntry& entry = *VekGetErrorEntryByIndex(i);
        Json record = {{"number", +entry.Id}, {"name", NameOf(entry.Id)}};
        if (!extended) {
            const ParDef* def = VekGetParDef(entry.Id);
            record["word"] = def ? +def->RawValue : 0;
            records.push_back(record);
            continue;
        }
        uint16_t raw[kEntryArgs];
        std::memcpy(raw, reinterpret_cast<const unsigned char*>(&entry) + offsetof(ErrorEntry, Args), sizeof raw);
        Json args = Json::array();
        for (std::size_t a = 0; a < argCount; ++a) {
            const uint32_t argId = device.ErrorArgIds[a];
            args.push_back({{"number", argId}, {"name", NameOf(argId)}, {"raw", raw[a]},
                            {"text", ArgumentText(argId, raw[a])}});
        }
        record.update({{"count", +entry.Count},
                       {"first", +entry.Time1},
                       {"last", +entry.Time2},
                       {"word1", +entry.Word1},
                       {"word2", +entry.Word2},
                       {"args", args}});
        records.push_back(record);
    }
    return {{"extended", extended}, {"records", records}};
}

}  // namespace vektool::ui
