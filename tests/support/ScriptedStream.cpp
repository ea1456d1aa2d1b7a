#include "support/ScriptedStream.hpp"

#include "ExchangeLog.hpp"
#include "Framing.hpp"
#include "InProcessHost.hpp"
#include "StreamSlots.hpp"

#include <algorithm>
#include <utility>

namespace vektest {

namespace {

constexpr int32_t kInitialTimeout = 1200;  // what a freshly opened port uses

std::string Hex(uint8_t byte) { return "0x" + vekgov::HexBytes(&byte, 1); }

}  // namespace

struct ScriptedStream::Slots {
    static ScriptedStream& Of(SerialStream* s) { return *static_cast<ScriptedStream*>(s->Context); }

    static int32_t VEK_CALL Open(SerialStream* s) {
        ++Of(s).opens_;
        Of(s).open_ = true;
        return 1;
    }
    static int32_t VEK_CALL IsOpen(SerialStream* s) { return Of(s).open_ ? 1 : 0; }
    static int32_t VEK_CALL Close(SerialStream* s) {
        Of(s).open_ = false;
        return 1;
    }
    static int32_t VEK_CALL Configure(SerialStream*) { return 1; }
    static int32_t VEK_CALL Write(SerialStream* s, const uint8_t* data, int32_t count) {
        ScriptedStream& line = Of(s);
        for (int32_t i = 0; i < count; ++i) line.WriteByte(data[i]);
        line.ReleaseFinishedSteps();
        return count >= 0 ? 1 : 0;
    }
    static int32_t VEK_CALL Read(SerialStream* s, uint8_t* buffer, int32_t count) {
        ScriptedStream& line = Of(s);
        line.ReleaseFinishedSteps();
        if (count < 0) return 0;
        const size_t n = std::min(static_cast<size_t>(count), line.readable_.size());
        std::copy_n(line.readable_.begin(), n, buffer);
        line.readable_.erase(line.readable_.begin(), line.readable_.begin() + static_cast<std::ptrdiff_t>(n));
        return n == static_cast<size_t>(count) ? 1 : 0;
    }
    static int32_t VEK_CALL GetTimeout(SerialStream* s) { return Of(s).timeout_; }
    static int32_t VEK_CALL SetTimeout(SerialStream* s, int32_t ms) {
        Of(s).timeout_ = ms;
        Of(s).timeouts_.push_back(ms);
        return 1;
    }
    static int32_t VEK_CALL ChangeBaudRate(SerialStream* s) {
        const uint32_t rate = vekgov::ConfiguredBaudRate(*s);
        if (rate == vekgov::dev::StartBaudRate || !s->RequestBaudRate) return 1;
        return s->RequestBaudRate(s, rate) ? 1 : 0;
    }
    static int32_t VEK_CALL Purge(SerialStream* s) {
        ++Of(s).purges_;
        Of(s).readable_.clear();
        return 1;
    }
};

ScriptedStream::ScriptedStream(SerialStream* stream) : stream_(stream), saved_(*stream), timeout_(kInitialTimeout) {
    vekgov::InstallStreamSlots<Slots>(*stream_, this);
}

ScriptedStream::~ScriptedStream() { *stream_ = saved_; }

ScriptedStream& ScriptedStream::Expect(Bytes request) {
    steps_.push_back(Step{std::move(request), {}});
    return *this;
}

ScriptedStream& ScriptedStream::Reply(const Bytes& reply) {
    if (steps_.empty()) steps_.push_back(Step{});
    if (steps_.size() - 1 < step_) {
        // That step was released already: its reply is readable at once.
        readable_.insert(readable_.end(), reply.begin(), reply.end());
    } else {
        Bytes& queued = steps_.back().reply;
        queued.insert(queued.end(), reply.begin(), reply.end());
    }
    return *this;
}

ScriptedStream& ScriptedStream::ReplyWord(uint16_t word) {
    return Reply({static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8)});
}

ScriptedStream& ScriptedStream::ReplyBlock(const Bytes& data, bool flagged) { return Reply(Block(data, flagged)); }

Bytes ScriptedStream::Block(const Bytes& data, bool flagged) { return vekgov::EncodeBlock(data, flagged); }

bool ScriptedStream::Complete() {
    ReleaseFinishedSteps();
    return step_ == steps_.size() && readable_.empty();
}

void ScriptedStream::WriteByte(uint8_t byte) {
    written_.push_back(byte);
    ReleaseFinishedSteps();
    if (step_ == steps_.size()) {
        mismatches_.push_back("written " + Hex(byte) + " after the end of the script");
        return;
    }
    const uint8_t expected = steps_[step_].request[position_];
    if (byte != expected) {
        mismatches_.push_back("step " + std::to_string(step_ + 1) + ", byte " + std::to_string(position_ + 1) +
                              ": expected " + Hex(expected) + ", written " + Hex(byte));
    }
    ++position_;
}

void ScriptedStream::ReleaseFinishedSteps() {
    while (step_ < steps_.size() && position_ == steps_[step_].request.size()) {
        const Bytes& reply = steps_[step_].reply;
        readable_.insert(readable_.end(), reply.begin(), reply.end());
        ++step_;
        position_ = 0;
    }
}

Bytes Words(std::initializer_list<uint16_t> words) {
    Bytes bytes;
    for (uint16_t w : words) {
        bytes.push_back(static_cast<uint8_t>(w));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace vektest
