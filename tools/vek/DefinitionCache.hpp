// The per-user cache of downloaded definitions: the next connection to a
// governor with the same definition set fills the library's store from it
// instead of downloading for seconds or minutes.
//
// An entry is keyed by what identifies a definition set: the device kind,
// the hardware and software versions with the software extension, and the
// whole definition checksum block of the connection. A file is never
// trusted blindly: its format version, its key, its record count and size
// and its own checksum are checked before anything reaches the store.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vektool {

// $XDG_CACHE_HOME/veklib, else ~/.cache/veklib; on Windows %LOCALAPPDATA%\VekLib.
std::filesystem::path CacheFolder();

// The key of the connected governor's definition set.
std::string CurrentCacheKey();

enum class CacheLookup { Filled, Missing, Damaged };

struct CacheResult {
    CacheLookup lookup;
    std::string problem;  // why a damaged entry was refused
};

// Fills the definition store from the entry of key, if there is a sound one.
CacheResult LoadCachedDefinitions(const std::string& key);
// Writes the store's definitions as the entry of key; throws ToolError.
void StoreDefinitionsInCache(const std::string& key);

struct CacheEntry {
    std::filesystem::path file;
    uintmax_t bytes = 0;
    std::optional<std::string> problem;  // set for an entry that would be refused
    int32_t deviceKind = 0;
    uint16_t hardwareVersion = 0;
    uint32_t softwareVersion = 0;
    uint16_t softwareExtension = 0;
    uint32_t definitions = 0;
};

std::vector<CacheEntry> ListCache();
// Removes every entry; returns how many.
std::size_t ClearCache();

}  // namespace vektool
