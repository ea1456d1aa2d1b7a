// The extended command: a block whose first data word selects a sub-command.
// The governor checks the block before it acts; anything wrong with it, or a
// sub-command it does not know, gets the refusing status.
#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

constexpr size_t kSubCommandBytes = 2;

size_t HandleExtended(const ProtocolEngine& engine, const Request& request, GovernorModel& model, Reply& reply) {
    constexpr size_t kBlockAt = 1;
    const IncomingBlock block = ParseBlock(request.bytes + kBlockAt, request.size - kBlockAt);
    if (block.state == IncomingBlock::State::Incomplete) return kNeedMoreBytes;
    const size_t consumed = kBlockAt + block.totalBytes;
    if (block.state == IncomingBlock::State::Malformed || !block.checksumMatches ||
        block.dataLength < kSubCommandBytes) {
        reply.Status(dev::StatusRefused);
        return consumed;
    }
    const uint8_t* data = request.bytes + kBlockAt + block.dataOffset;
    const ExtendedHandler* handler = engine.FindExtended(GetWord(data));
    if (handler) {
        (*handler)(data + kSubCommandBytes, block.dataLength - kSubCommandBytes, model, reply);
    } else {
        reply.Status(dev::StatusRefused);
    }
    return consumed;
}

}  // namespace

void RegisterExtendedCommand(ProtocolEngine& engine) {
    engine.Register(dev::Extended, [&engine](const Request& request, GovernorModel& model, Reply& reply) {
        return HandleExtended(engine, request, model, reply);
    });
}

}  // namespace vekgov
