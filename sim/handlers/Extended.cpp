// The extended command: a block whose first data word selects a sub-command.
// The governor checks the block before it acts; anything wrong with it, or a
// sub-command it does not know, gets the refusing status.
#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

constexpr size_t kSubCommandBytes = 2;

size_t HandleExtended(const ProtocolEngine& engine, const Request& request, GovernorModel& model, Reply& reply) {
    const CommandBlock block = TakeCommandBlock(request, kSubCommandBytes, model, reply);
    if (!block.data) return block.consumed;
    const ExtendedHandler* handler = engine.FindExtended(GetWord(block.data));
    if (handler) {
        (*handler)(block.data + kSubCommandBytes, block.length - kSubCommandBytes, model, reply);
    } else {
        reply.Status(dev::StatusRefused);
    }
    return block.consumed;
}

}  // namespace

CommandBlock TakeCommandBlock(const Request& request, size_t minLength, GovernorModel& model, Reply& reply) {
    constexpr size_t kBlockAt = 1;  // after the command byte
    const IncomingBlock block = ParseBlock(request.bytes + kBlockAt, request.size - kBlockAt);
    CommandBlock taken;
    if (block.state == IncomingBlock::State::Incomplete) return taken;
    taken.consumed = kBlockAt + block.totalBytes;
    const bool damaged = block.state == IncomingBlock::State::Malformed || !block.checksumMatches;
    if (damaged) ++model.framingErrors;
    if (damaged || block.dataLength < minLength) {
        reply.Status(dev::StatusRefused);
        return taken;
    }
    taken.data = request.bytes + kBlockAt + block.dataOffset;
    taken.length = block.dataLength;
    return taken;
}

void RegisterExtendedCommand(ProtocolEngine& engine) {
    engine.Register(dev::Extended, [&engine](const Request& request, GovernorModel& model, Reply& reply) {
        return HandleExtended(engine, request, model, reply);
    });
}

}  // namespace vekgov
