// vek watch: samples up to 16 values through timed list 0 and shows them
// with the governor's extended timer stamp, until the count is reached or
// the user interrupts. A sample that fails makes one reconnection, which
// configures the list again.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "DefinitionLookup.hpp"
#include "JsonOut.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"
#include "ValueFormat.hpp"
#include "WatchTable.hpp"

#include "CLI/CLI.hpp"
#include "CliChecks.hpp"
#include "VekLib.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vektool {

namespace {

constexpr uint8_t kWatchList = 0;  // the list a reconnection configures again
constexpr std::size_t kMaxWatched = 16;
constexpr uint32_t kDefaultIntervalMs = 500;
constexpr uint64_t kUntilInterrupted = 0;

struct WatchOptions {
    std::vector<std::string> items;
    uint32_t intervalMs = kDefaultIntervalMs;
    uint64_t count = kUntilInterrupted;
};

volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }

// One sample; after a failure, one reconnection and one more try.
bool Sample(uint32_t& stamp, double* values) {
    if (VekReadTimedList(kWatchList, &stamp, values)) return true;
    Note("vek: no sample, reconnecting");
    return VekReconnect() && VekReadTimedList(kWatchList, &stamp, values);
}

// {"stamp": ms, "values": [{"number", "name", "value", "text", "unit"}, ...]}
Json SampleJson(uint32_t stamp, const std::vector<const ParDef*>& defs, const double* values) {
    Json samples = Json::array();
    for (std::size_t i = 0; i < defs.size(); ++i) {
        samples.push_back({{"number", +defs[i]->Id},
                           {"name", ToUtf8(defs[i]->Name)},
                           {"value", values[i]},
                           {"text", RealValueText(defs[i]->Id, values[i])},
                           {"unit", ToUtf8(defs[i]->Unit)}});
    }
    return {{"stamp", stamp}, {"values", samples}};
}

int RunWatch(Session& session, const WatchOptions& options) {
    ConnectWithDefinitions(session);
    std::vector<const ParDef*> defs;
    std::vector<uint32_t> ids;
    std::vector<WatchedValue> columns;
    for (const std::string& item : options.items) {
        const ParDef& def = FindDefinition("watch", item);
        defs.push_back(&def);
        ids.push_back(+def.Id);  // a copy: the packed field may be misaligned
        columns.push_back({ToUtf8(def.Name), ToUtf8(def.Unit)});
    }
    session.Require("setting up the timed list", [&ids] {
        return VekSetTimedList(kWatchList, static_cast<uint32_t>(ids.size()), ids.data()) != 0;
    });

    std::signal(SIGINT, OnInterrupt);
    std::unique_ptr<WatchTable> table;
    if (!JsonWanted()) table = std::make_unique<WatchTable>(std::move(columns));
    double values[kMaxWatched] = {};
    std::vector<std::string> texts(ids.size());
    for (uint64_t n = 0; !interrupted && (options.count == kUntilInterrupted || n < options.count); ++n) {
        if (n > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.intervalMs));
        uint32_t stamp = 0;
        session.Require("sampling", [&] { return Sample(stamp, values); }, kExitNoConnection);
        if (!table) {
            PrintJson(SampleJson(stamp, defs, values));
            continue;
        }
        for (std::size_t i = 0; i < ids.size(); ++i) texts[i] = RealValueText(ids[i], values[i]);
        table->Show(stamp, texts);
    }
    return 0;
}

}  // namespace

void AddWatch(CommandSet& commands) {
    auto options = std::make_shared<WatchOptions>();
    CLI::App& command = commands.Add(
        "watch", "sample up to 16 values with the governor's time stamp",
        "On a terminal the table is redrawn in place; elsewhere each sample is one line of tab-separated\n"
        "fields under a header line (with --json one object a line).",
        [options](Session& session) { return RunWatch(session, *options); });
    command.add_option("items", options->items, "numbers or names (any case) of the values to sample")
        ->type_name("ID|NAME")
        ->required()
        ->expected(1, static_cast<int>(kMaxWatched));
    command.add_option("--interval", options->intervalMs, "milliseconds between two samples")
        ->type_name("MS")
        ->capture_default_str()
        ->check(WholeNumber());
    command.add_option("--count", options->count, "stop after N samples (0: until interrupted with Ctrl+C)")
        ->type_name("N")
        ->capture_default_str()
        ->check(WholeNumber());
}

}  // namespace vektool
