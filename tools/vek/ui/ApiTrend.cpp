// GET /api/trend?ids=2000,2001[&interval=MS]: configures the trend list (all
// pages share it) and streams its samples as Server-Sent Events: first an
// "event: config" with the numbers, names and units, then one data line a
// sample, {seq, stamp, values, missed}. Without ids the stream joins the
// list as it is.
#include "Routes.hpp"

#include <sstream>
#include <thread>

namespace vektool::ui {

namespace {

constexpr auto kWaitForSamples = std::chrono::milliseconds(500);
// Samples go out in batches: a wake-up per sample would take processor time
// from the governor thread, and a page draws only a few times a second.
constexpr auto kBatchPeriod = std::chrono::milliseconds(50);

std::optional<std::vector<uint32_t>> ParseIds(const std::string& text) {
    std::vector<uint32_t> ids;
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const std::optional<uint32_t> id = ParseNumber(item);
        if (!id) return std::nullopt;
        ids.push_back(*id);
    }
    return ids;
}

std::string Event(const char* name, const Json& data) {
    return std::string("event: ") + name + "\ndata: " + data.dump() + "\n\n";
}

Json ConfigJson(const TrendConfig& config) {
    return {{"ids", config.ids}, {"names", config.names}, {"units", config.units}, {"interval", config.intervalMs}};
}

// Streams one client's samples until it goes away or the console stops.
class TrendStream {
public:
    TrendStream(TrendHub& hub) : hub_(hub), client_(hub.Subscribe()) {}
    ~TrendStream() { hub_.Unsubscribe(client_); }

    bool Next(httplib::DataSink& sink) {
        if (client_->Closed()) return false;
        uint64_t missed = 0;
        const std::vector<TrendSample> samples = client_->Take(kWaitForSamples, missed);
        std::string text;
        const TrendConfig config = hub_.Config();
        if (config.generation != generation_) {
            generation_ = config.generation;
            text += Event("config", ConfigJson(config));
        }
        for (const TrendSample& sample : samples) {
            if (sample.generation != generation_) continue;  // taken before the list changed
            text += "data: " +
                    Json{{"seq", sample.sequence}, {"stamp", sample.stamp}, {"values", sample.values},
                         {"missed", missed}}
                        .dump() +
                    "\n\n";
        }
        // A comment now and then finds out whether the page is still there.
        if (text.empty()) text = ":\n\n";
        if (!sink.write(text.data(), text.size())) return false;
        if (!samples.empty()) std::this_thread::sleep_for(kBatchPeriod);
        return true;
    }

private:
    TrendHub& hub_;
    std::shared_ptr<TrendClient> client_;
    uint64_t generation_ = 0;
};

}  // namespace

void AddTrendApi(httplib::Server& server, ConsoleParts& parts) {
    server.Get("/api/trend", [&](const httplib::Request& request, httplib::Response& response) {
        if (request.has_param("ids")) {
            const std::optional<std::vector<uint32_t>> ids = ParseIds(request.get_param_value("ids"));
            const std::optional<uint32_t> interval =
                request.has_param("interval") ? ParseNumber(request.get_param_value("interval")) : 0u;
            if (!ids || !interval) return Send(response, ErrorReply("ids=N,N,... and interval=MS", kBadRequest));
            const Reply configured =
                parts.governor.CallConnected([&] { return parts.governor.ConfigureTrend(*ids, *interval); });
            if (configured.status != kOk) return Send(response, configured);
        }
        auto stream = std::make_shared<TrendStream>(parts.trend);
        response.set_header("Cache-Control", "no-store");
        response.set_chunked_content_provider(
            "text/event-stream", [stream](std::size_t, httplib::DataSink& sink) { return stream->Next(sink); });
    });
}

}  // namespace vektool::ui
