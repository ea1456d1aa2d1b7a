#include "FuzzTargets.hpp"
#include "GovernorSession.hpp"
#include "ReplyStream.hpp"

namespace vekfuzz {

int FuzzGovernorReplies(const uint8_t* data, size_t size) {
    SessionRecord record;
    ReplyStream governor(data, size);
    RunGovernorSession();
    return 0;
}

}  // namespace vekfuzz
