// vek cache list | clear: the definition cache's entries, shown or removed.
#include "Command.hpp"
#include "DefinitionCache.hpp"
#include "Output.hpp"

#include "CLI/CLI.hpp"

#include <string>

namespace vektool {

namespace {

constexpr uintmax_t kBytesPerKiB = 1024;

std::string Describe(const CacheEntry& entry) {
    std::string text = entry.file.filename().u8string() + "  " + std::to_string((entry.bytes + kBytesPerKiB - 1) / kBytesPerKiB) + " KiB  ";
    if (entry.problem) return text + "damaged: " + *entry.problem;
    return text + "kind " + std::to_string(entry.deviceKind) + ", hardware " + std::to_string(entry.hardwareVersion) +
           ", software " + std::to_string(entry.softwareVersion) + " extension " +
           std::to_string(entry.softwareExtension) + ", " + std::to_string(entry.definitions) + " definitions";
}

int List() {
    const std::vector<CacheEntry> entries = ListCache();
    PrintResult("Definition cache " + CacheFolder().u8string() + ": " + std::to_string(entries.size()) +
                (entries.size() == 1 ? " entry" : " entries"));
    for (const CacheEntry& entry : entries) PrintResult("  " + Describe(entry));
    return 0;
}

int Clear() {
    const std::size_t removed = ClearCache();
    PrintResult("Removed " + std::to_string(removed) + (removed == 1 ? " entry" : " entries") +
                " from the definition cache " + CacheFolder().u8string());
    return 0;
}

}  // namespace

void AddCache(CommandSet& commands) {
    CLI::App& cache = commands.AddGroup("cache", "show or empty the definition cache");
    cache.footer("The definitions of each kind of governor are kept after their download, so that the next\n"
                 "connection skips it. Folder: " + CacheFolder().u8string());
    commands.Add(cache, "list", "list the cached definition sets", [](Session&) { return List(); });
    commands.Add(cache, "clear", "remove every cached definition set", [](Session&) { return Clear(); });
}

}  // namespace vektool
