#include "InProcessHost.hpp"

#include "StreamSlots.hpp"

#include <utility>

namespace vekgov {

namespace {

constexpr int32_t kInitialTimeout = 1200;  // what a freshly opened port uses

}  // namespace

// The ten stream operations; each finds its host through the record's Context.
struct InProcessHost::Slots {
    static InProcessHost* Host(SerialStream* s) { return s ? static_cast<InProcessHost*>(s->Context) : nullptr; }

    static int32_t VEK_CALL Open(SerialStream* s) {
        InProcessHost* host = Host(s);
        if (!host) return 0;
        // The wake-up at the slow rate: the governor starts afresh at the start rate.
        host->open_ = true;
        host->portBaud_ = dev::StartBaudRate;
        host->Engine().Reset();
        return 1;
    }
    static int32_t VEK_CALL IsOpen(SerialStream* s) {
        InProcessHost* host = Host(s);
        return host && host->open_ ? 1 : 0;
    }
    static int32_t VEK_CALL Close(SerialStream* s) {
        if (InProcessHost* host = Host(s)) host->open_ = false;
        return 1;
    }
    static int32_t VEK_CALL Configure(SerialStream* s) { return IsOpen(s); }
    static int32_t VEK_CALL Write(SerialStream* s, const uint8_t* data, int32_t count) {
        InProcessHost* host = Host(s);
        if (!host || !host->open_ || count < 0 || (count > 0 && !data)) return 0;
        const size_t n = static_cast<size_t>(count);
        if (host->portBaud_ != host->Model().link.BaudRate()) {
            host->Engine().Ignore(data, n, "rate mismatch");
        } else {
            host->Engine().Feed(data, n);
        }
        return 1;
    }
    static int32_t VEK_CALL Read(SerialStream* s, uint8_t* buffer, int32_t count) {
        InProcessHost* host = Host(s);
        if (!host || !host->open_ || count < 0 || (count > 0 && !buffer)) return 0;
        const size_t wanted = static_cast<size_t>(count);
        return host->Engine().Take(buffer, wanted) == wanted ? 1 : 0;
    }
    static int32_t VEK_CALL GetTimeout(SerialStream* s) {
        InProcessHost* host = Host(s);
        return host ? host->timeout_ : 0;
    }
    static int32_t VEK_CALL SetTimeout(SerialStream* s, int32_t ms) {
        InProcessHost* host = Host(s);
        if (!host) return 0;
        host->timeout_ = ms;
        host->timeouts_.push_back(ms);
        return 1;
    }
    // Asks the governor through the library's hook, then moves the port; the
    // governor's own rate is whatever it took from the request.
    static int32_t VEK_CALL ChangeBaudRate(SerialStream* s) {
        InProcessHost* host = Host(s);
        if (!host) return 0;
        const uint32_t rate = ConfiguredBaudRate(*s);
        if (rate != dev::StartBaudRate && s->RequestBaudRate && !s->RequestBaudRate(s, rate)) return 0;
        host->portBaud_ = rate;
        return 1;
    }
    static int32_t VEK_CALL Purge(SerialStream* s) {
        InProcessHost* host = Host(s);
        if (!host) return 0;
        host->Engine().DiscardOutput();
        return 1;
    }
};

InProcessHost::InProcessHost(DeviceProfile profile, SerialStream* stream)
    : stream_(stream), saved_(*stream), governor_(std::move(profile)), portBaud_(dev::StartBaudRate),
      timeout_(kInitialTimeout) {
    InstallStreamSlots<Slots>(*stream_, this);
}

InProcessHost::~InProcessHost() { *stream_ = saved_; }

uint32_t ConfiguredBaudRate(const SerialStream& stream) {
    const VekChar* config = stream.Config;
    const size_t capacity = sizeof stream.Config / sizeof stream.Config[0];
    size_t digitsAt = capacity;
    for (size_t i = 0; i < capacity && config[i] != 0; ++i) {
        if (config[i] == VekChar(',')) digitsAt = i + 1;
    }
    uint32_t rate = 0;
    bool anyDigit = false;
    for (size_t i = digitsAt; i < capacity; ++i) {
        const VekChar c = config[i];
        if (c < VekChar('0') || c > VekChar('9')) break;
        rate = rate * 10 + static_cast<uint32_t>(c - VekChar('0'));
        anyDigit = true;
    }
    return anyDigit && rate != 0 ? rate : dev::StartBaudRate;
}

}  // namespace vekgov
