// vek watch: samples up to 16 values through timed list 0 and shows them
// with the governor's extended timer stamp, until the count is reached or
// the user interrupts. A sample that fails makes one reconnection, which
// configures the list again.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"
#include "WatchTable.hpp"

#include "VekLib.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vektool {

namespace {

constexpr uint8_t kWatchList = 0;  // the list a reconnection configures again
constexpr std::size_t kMaxWatched = 16;
constexpr uint32_t kDefaultIntervalMs = 500;
constexpr uint32_t kAllKinds = 0xFF;
constexpr uint16_t kValueTextCapacity = 64;

struct WatchOptions {
    std::vector<std::string> items;
    uint32_t intervalMs = kDefaultIntervalMs;
    std::optional<uint64_t> count;  // none: until interrupted
};

volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }

uint64_t ParseNumber(const std::string& text, const std::string& what) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != 0 || errno == ERANGE || value > UINT32_MAX) {
        throw ToolError("watch: invalid " + what + " '" + text + "'");
    }
    return value;
}

WatchOptions ParseWatchOptions(const Arguments& arguments) {
    WatchOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word.rfind("--", 0) != 0) {
            options.items.push_back(word);
            continue;
        }
        if (i + 1 >= arguments.size()) throw ToolError("watch: " + word + " needs a value");
        const std::string& value = arguments[++i];
        if (word == "--interval") {
            options.intervalMs = static_cast<uint32_t>(ParseNumber(value, "interval"));
        } else if (word == "--count") {
            options.count = ParseNumber(value, "count");
        } else {
            throw ToolError("watch: unknown argument '" + word + "'");
        }
    }
    if (options.items.empty()) throw ToolError("watch: name at least one value (number or name)");
    if (options.items.size() > kMaxWatched) {
        throw ToolError("watch: at most " + std::to_string(kMaxWatched) + " values at a time");
    }
    return options;
}

bool IsNumber(const std::string& word) {
    return !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
}

// A number or a name (any case) of a downloaded definition.
const ParDef& Resolve(const std::string& item) {
    const ParDef* def = nullptr;
    if (IsNumber(item)) {
        const uint64_t number = ParseNumber(item, "number");
        def = VekGetParDef(static_cast<uint32_t>(number));
        if (!def) throw ToolError("watch: no definition numbered " + item);
    } else {
        def = VekFindParDefByName(AsVekText(FromUtf8(item)), kAllKinds);
        if (!def) throw ToolError("watch: no definition named '" + item + "'");
    }
    return *def;
}

std::string ValueText(uint32_t id, double value) {
    VekChar text[kValueTextCapacity] = {};
    VekFormatValue(id, value, text, kValueTextCapacity);
    return ToUtf8(text);
}

// One sample; after a failure, one reconnection and one more try.
bool Sample(uint32_t& stamp, double* values) {
    if (VekReadTimedList(kWatchList, &stamp, values)) return true;
    std::fprintf(stderr, "vek: no sample, reconnecting\n");
    return VekReconnect() && VekReadTimedList(kWatchList, &stamp, values);
}

}  // namespace

int RunWatch(Session& session, const Arguments& arguments) {
    const WatchOptions options = ParseWatchOptions(arguments);
    ConnectWithDefinitions(session);

    std::vector<uint32_t> ids;
    std::vector<WatchedValue> columns;
    for (const std::string& item : options.items) {
        const ParDef& def = Resolve(item);
        ids.push_back(+def.Id);  // a copy: the packed field may be misaligned
        columns.push_back({ToUtf8(def.Name), ToUtf8(def.Unit)});
    }
    if (!VekSetTimedList(kWatchList, static_cast<uint32_t>(ids.size()), ids.data())) {
        throw ToolError("the governor refused the timed list (see --log FILE)");
    }

    std::signal(SIGINT, OnInterrupt);
    WatchTable table(std::move(columns));
    double values[kMaxWatched] = {};
    std::vector<std::string> texts(ids.size());
    for (uint64_t n = 0; !interrupted && (!options.count || n < *options.count); ++n) {
        if (n > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.intervalMs));
        uint32_t stamp = 0;
        if (!Sample(stamp, values)) throw ToolError("the governor does not answer (see --log FILE)");
        for (std::size_t i = 0; i < ids.size(); ++i) texts[i] = ValueText(ids[i], values[i]);
        table.Show(stamp, texts);
    }
    return 0;
}

}  // namespace vektool
