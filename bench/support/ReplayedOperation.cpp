#include "ReplayedOperation.hpp"

#include <cstring>
#include <vector>

namespace vekbench {

namespace {

// The replies of the operation, read in the order the library reads them.
struct Recording {
    SerialStream governor{};
    std::vector<uint8_t> replies;
    std::size_t next = 0;
} recording;

int32_t VEK_CALL RecordingRead(SerialStream* s, uint8_t* buffer, int32_t count) {
    const int32_t ok = recording.governor.Read(s, buffer, count);
    if (ok && count > 0) recording.replies.insert(recording.replies.end(), buffer, buffer + count);
    return ok;
}

int32_t VEK_CALL ReplayingRead(SerialStream*, uint8_t* buffer, int32_t count) {
    if (count < 0 || recording.next + static_cast<std::size_t>(count) > recording.replies.size()) return 0;
    if (count > 0) std::memcpy(buffer, recording.replies.data() + recording.next, static_cast<std::size_t>(count));
    recording.next += static_cast<std::size_t>(count);
    return 1;
}

int32_t VEK_CALL Unheard(SerialStream*, const uint8_t*, int32_t) { return 1; }

}  // namespace

ReplayedOperation::ReplayedOperation(std::function<bool()> operation)
    : operation_(std::move(operation)), saved_(*VekGetStream()) {}


bool ReplayedOperation::Record() {
    recording = Recording{};
    recording.governor = saved_;
    SerialStream* stream = VekGetStream();
    *stream = saved_;
    stream->Read = RecordingRead;
    const bool ok = operation_();
    *stream = saved_;
    return ok;
}

bool ReplayedOperation::Replay() {
    SerialStream* stream = VekGetStream();
    stream->Read = ReplayingRead;
    stream->Write = Unheard;
    recording.next = 0;
    const bool ok = operation_();
    *stream = saved_;
    return ok;
}

}  // namespace vekbench
