#include "DefinitionDownload.hpp"

#include "DefinitionCache.hpp"
#include "Output.hpp"
#include "ProgressDisplay.hpp"
#include "Session.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace vektool {

namespace {

// The download's own account of the bytes it expected and received.
constexpr const char* kExpectedLine = "Total expected par def bytes = ";
constexpr const char* kReceivedLine = "Total received par def bytes = ";

std::optional<unsigned long> LoggedCount(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& line : lines) {
        if (line.rfind(prefix, 0) == 0) return std::strtoul(line.c_str() + prefix.size(), nullptr, 10);
    }
    return std::nullopt;
}

// Downloads the definitions; false when fewer (or more) bytes came than the
// governor announced, which leaves the list incomplete.
bool Download(Session& session) {
    {
        ProgressDisplay progress;
        session.Require("the definition download", [] { return VekReadAllParDef() != 0; });
    }
    const std::vector<std::string> lines = session.Log().LinesSinceMark();
    const std::optional<unsigned long> expected = LoggedCount(lines, kExpectedLine);
    const std::optional<unsigned long> received = LoggedCount(lines, kReceivedLine);
    if (!expected || !received || *expected == *received) return true;
    Warn("the definition download ended with " + std::to_string(*received) + " of the " +
         std::to_string(*expected) + " bytes the governor announced: the definitions are incomplete");
    return false;
}

void Cache(const std::string& key) {
    try {
        StoreDefinitionsInCache(key);
    } catch (const ToolError& error) {
        Warn(std::string("the definitions were not cached: ") + error.what());
    }
}

}  // namespace

void ConnectWithDefinitions(Session& session) {
    session.Connect();
    const std::string key = CurrentCacheKey();
    if (!session.Settings().noCache) {
        const CacheResult cached = LoadCachedDefinitions(key);
        if (cached.lookup == CacheLookup::Filled) return;
        if (cached.lookup == CacheLookup::Damaged) {
            Warn("the cached definitions are damaged (" + cached.problem + "); downloading them again");
        }
    }
    if (Download(session) && VekGetParDefNum() > 0) Cache(key);
}

}  // namespace vektool
