#include "ReplyStream.hpp"

#include "GovernorSession.hpp"
#include "StreamSlots.hpp"

#include <algorithm>
#include <cstring>

namespace vekfuzz {

struct ReplyStream::Slots {
    static ReplyStream& Of(SerialStream* s) { return *static_cast<ReplyStream*>(s->Context); }

    static int32_t VEK_CALL Open(SerialStream* s) {
        Of(s).open_ = true;
        return 1;
    }
    static int32_t VEK_CALL IsOpen(SerialStream* s) { return Of(s).open_ ? 1 : 0; }
    static int32_t VEK_CALL Close(SerialStream* s) {
        Of(s).open_ = false;
        return 1;
    }
    static int32_t VEK_CALL Configure(SerialStream* s) { return IsOpen(s); }
    static int32_t VEK_CALL Write(SerialStream* s, const uint8_t* data, int32_t count) {
        return Of(s).open_ && count >= 0 && (count == 0 || data) ? 1 : 0;
    }
    static int32_t VEK_CALL Read(SerialStream* s, uint8_t* buffer, int32_t count) {
        ReplyStream& line = Of(s);
        if (!line.open_ || count < 0 || (count > 0 && !buffer)) return 0;
        const size_t wanted = static_cast<size_t>(count);
        const size_t n = std::min(wanted, line.size_ - line.position_);
        if (n > 0) std::memcpy(buffer, line.replies_ + line.position_, n);
        line.position_ += n;
        return n == wanted ? 1 : 0;
    }
    static int32_t VEK_CALL GetTimeout(SerialStream* s) { return Of(s).timeout_; }
    static int32_t VEK_CALL SetTimeout(SerialStream* s, int32_t ms) {
        Of(s).timeout_ = ms;
        return 1;
    }
    // The governor is asked through the library's hook, as by the serial port.
    static int32_t VEK_CALL ChangeBaudRate(SerialStream* s) {
        return !s->RequestBaudRate || s->RequestBaudRate(s, kSessionBaudRate) ? 1 : 0;
    }
    // The replies still to come are the governor's later answers: nothing waits to be discarded.
    static int32_t VEK_CALL Purge(SerialStream*) { return 1; }
};

ReplyStream::ReplyStream(const uint8_t* replies, size_t size, SerialStream* stream)
    : stream_(stream), saved_(*stream), replies_(replies), size_(size), timeout_(stream->ResponseTimeout) {
    vekgov::InstallStreamSlots<Slots>(*stream_, this);
}

ReplyStream::~ReplyStream() { *stream_ = saved_; }

}  // namespace vekfuzz
