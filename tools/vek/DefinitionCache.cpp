#include "DefinitionCache.hpp"

#include "AtomicFile.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vektool {

namespace {

// File layout (numbers little-endian): magic, format version, key length
// and key, record count, record size, the records, and an FNV-1a checksum of
// everything before it.
constexpr char kMagic[8] = {'V', 'E', 'K', 'D', 'E', 'F', 'S', 0};
constexpr uint32_t kFormatVersion = 1;
constexpr uint32_t kRecordSize = sizeof(ParDef);
// More than any governor holds; a count beyond it marks a damaged file.
constexpr uint32_t kMaxRecords = 1u << 20;
constexpr uint32_t kMaxKeyBytes = 1024;
constexpr const char* kEntryPrefix = "defs-";
constexpr const char* kEntryExtension = ".bin";

constexpr uint64_t kFnvOffset = 0xCBF29CE484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001B3ull;

// Where the software extension sits in the definition checksum block.
constexpr std::size_t kSoftwareExtensionOffset = 14;

// What the store takes from a cached record: the fields from the name to the
// real limits. The number comes through VekAddParDef; the raw value and the
// reserved bytes belong to this run.
constexpr std::size_t kCachedFrom = offsetof(ParDef, Name);
constexpr std::size_t kCachedTo = offsetof(ParDef, RawValue);

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t hash = kFnvOffset;
    for (const char byte : bytes) hash = (hash ^ static_cast<unsigned char>(byte)) * kFnvPrime;
    return hash;
}

template <class T>
void Put(std::string& out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) out += static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF);
}

// Reads numbers and bytes from a file's contents; any read past the end
// leaves it failed.
class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}

    template <class T>
    T Get() {
        uint64_t value = 0;
        if (!Has(sizeof(T))) return 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes_[position_ + i])) << (8 * i);
        }
        position_ += sizeof(T);
        return static_cast<T>(value);
    }
    std::string Bytes(std::size_t count) {
        if (!Has(count)) return {};
        position_ += count;
        return bytes_.substr(position_ - count, count);
    }
    std::size_t Position() const { return position_; }
    bool Failed() const { return failed_; }

private:
    bool Has(std::size_t count) {
        failed_ = failed_ || count > bytes_.size() - position_;
        return !failed_;
    }

    const std::string& bytes_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

std::string CacheKeyOf(const VekStruct& device) {
    std::string key;
    Put<int32_t>(key, device.DeviceKind);
    Put<uint16_t>(key, device.HardwareVersion);
    Put<uint32_t>(key, device.SoftwareVersion);
    const uint8_t* block = device.ChecksumReply;
    Put<uint16_t>(key, static_cast<uint16_t>(block[kSoftwareExtensionOffset] | (block[kSoftwareExtensionOffset + 1] << 8)));
    const std::size_t length = std::min<std::size_t>(device.ChecksumReplyLength, sizeof device.ChecksumReply);
    Put<uint16_t>(key, static_cast<uint16_t>(length));
    key.append(reinterpret_cast<const char*>(block), length);
    return key;
}

std::filesystem::path EntryPath(const std::string& key) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%016llx%s", kEntryPrefix, static_cast<unsigned long long>(Fnv1a(key)),
                  kEntryExtension);
    return CacheFolder() / name;
}

std::optional<std::string> ReadWhole(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A file's contents taken apart; problem is set when it must not be used.
struct ParsedEntry {
    std::string key;
    uint32_t count = 0;
    std::size_t recordsAt = 0;
    std::optional<std::string> problem;
};

ParsedEntry Parse(const std::string& bytes) {
    ParsedEntry entry;
    Reader reader(bytes);
    if (reader.Bytes(sizeof kMagic) != std::string(kMagic, sizeof kMagic)) {
        entry.problem = "not a definition cache file";
        return entry;
    }
    const uint32_t version = reader.Get<uint32_t>();
    if (version != kFormatVersion) {
        entry.problem = "format version " + std::to_string(version) + " instead of " + std::to_string(kFormatVersion);
        return entry;
    }
    const uint32_t keyLength = reader.Get<uint32_t>();
    entry.key = reader.Bytes(keyLength <= kMaxKeyBytes ? keyLength : bytes.size());
    entry.count = reader.Get<uint32_t>();
    const uint32_t recordSize = reader.Get<uint32_t>();
    entry.recordsAt = reader.Position();
    const uint64_t expected = entry.recordsAt + static_cast<uint64_t>(entry.count) * kRecordSize + sizeof(uint64_t);
    if (reader.Failed() || recordSize != kRecordSize || entry.count > kMaxRecords || expected != bytes.size()) {
        entry.problem = "its size does not match its record count (" + std::to_string(bytes.size()) + " bytes)";
        return entry;
    }
    Reader tail(bytes);
    tail.Bytes(bytes.size() - sizeof(uint64_t));
    if (tail.Get<uint64_t>() != Fnv1a(bytes.substr(0, bytes.size() - sizeof(uint64_t)))) {
        entry.problem = "its checksum is wrong";
    }
    return entry;
}

void FillStore(const std::string& bytes, const ParsedEntry& entry) {
    VekClearParDefs();
    for (uint32_t i = 0; i < entry.count; ++i) {
        ParDef record;
        std::memcpy(&record, bytes.data() + entry.recordsAt + static_cast<std::size_t>(i) * kRecordSize, kRecordSize);
        // A name or unit without its end cannot run past the record.
        record.Name[std::size(record.Name) - 1] = 0;
        record.Unit[std::size(record.Unit) - 1] = 0;
        ParDef* stored = VekAddParDef(record.Id);
        std::memcpy(reinterpret_cast<char*>(stored) + kCachedFrom, reinterpret_cast<const char*>(&record) + kCachedFrom,
                    kCachedTo - kCachedFrom);
    }
    VekValidateAllParDefs();
}

}  // namespace

std::filesystem::path CacheFolder() {
#if defined(_WIN32)
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local) return std::filesystem::path(local) / "VekLib";
    return std::filesystem::temp_directory_path() / "VekLib";
#else
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') return std::filesystem::path(xdg) / "veklib";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".cache" / "veklib";
#endif
}

std::string CurrentCacheKey() { return CacheKeyOf(*VekGetVekStruct()); }

CacheResult LoadCachedDefinitions(const std::string& key) {
    const std::optional<std::string> bytes = ReadWhole(EntryPath(key));
    if (!bytes) return {CacheLookup::Missing, ""};
    const ParsedEntry entry = Parse(*bytes);
    if (entry.problem) return {CacheLookup::Damaged, *entry.problem};
    if (entry.key != key) return {CacheLookup::Damaged, "it belongs to another governor"};
    FillStore(*bytes, entry);
    if (VekGetParDefNum() != entry.count) {
        VekClearParDefs();
        return {CacheLookup::Damaged, "it holds a definition number twice"};
    }
    return {CacheLookup::Filled, ""};
}

void StoreDefinitionsInCache(const std::string& key) {
    std::string bytes(kMagic, sizeof kMagic);
    Put<uint32_t>(bytes, kFormatVersion);
    Put<uint32_t>(bytes, static_cast<uint32_t>(key.size()));
    bytes += key;
    const uint32_t count = VekGetParDefNum();
    Put<uint32_t>(bytes, count);
    Put<uint32_t>(bytes, kRecordSize);
    for (uint32_t i = 0; i < count; ++i) {
        ParDef record = *VekGetParDefByIndex(i);
        record.RawValue = 0;
        std::memset(record.Reserved, 0, sizeof record.Reserved);
        bytes.append(reinterpret_cast<const char*>(&record), kRecordSize);
    }
    Put<uint64_t>(bytes, Fnv1a(bytes));
    std::error_code error;
    std::filesystem::create_directories(CacheFolder(), error);
    WriteFileAtomically(EntryPath(key), bytes);
}

std::vector<CacheEntry> ListCache() {
    std::vector<CacheEntry> entries;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(CacheFolder(), error)) {
        const std::string name = item.path().filename().u8string();
        if (name.rfind(kEntryPrefix, 0) != 0 || item.path().extension() != kEntryExtension) continue;
        CacheEntry entry;
        entry.file = item.path();
        const std::optional<std::string> bytes = ReadWhole(item.path());
        entry.bytes = bytes ? bytes->size() : 0;
        const ParsedEntry parsed = bytes ? Parse(*bytes) : ParsedEntry{};
        entry.problem = bytes ? parsed.problem : "unreadable";
        Reader key(parsed.key);
        entry.deviceKind = key.Get<int32_t>();
        entry.hardwareVersion = key.Get<uint16_t>();
        entry.softwareVersion = key.Get<uint32_t>();
        entry.softwareExtension = key.Get<uint16_t>();
        entry.definitions = parsed.count;
        entries.push_back(entry);
    }
    return entries;
}

std::size_t ClearCache() {
    std::size_t removed = 0;
    for (const CacheEntry& entry : ListCache()) {
        std::error_code error;
        removed += std::filesystem::remove(entry.file, error) ? 1 : 0;
    }
    return removed;
}

}  // namespace vektool
