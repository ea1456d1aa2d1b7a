// The timed lists: reset, configure and start the sampling, and one sample
// per list read. A configuration block that is cut, malformed or carries a
// wrong checksum is refused.
#include "TimedLists.hpp"

#include "GovernorModel.hpp"
#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

constexpr size_t kBareCommandBytes = 1;

size_t Reset(const Request&, GovernorModel& model, Reply& reply) {
    reply.Status(ResetTimedLists(model));
    return kBareCommandBytes;
}

size_t Start(const Request&, GovernorModel& model, Reply& reply) {
    reply.Status(StartTimedLists(model));
    return kBareCommandBytes;
}

size_t Configure(const Request& request, GovernorModel& model, Reply& reply) {
    const CommandBlock block = TakeCommandBlock(request, 0, model, reply);
    if (block.data) reply.Status(ConfigureTimedList(model, block.data, block.length));
    return block.consumed;
}

size_t Sample(const Request& request, GovernorModel& model, Reply& reply) {
    reply.Block(SampleTimedList(model, static_cast<uint8_t>(request.Command() - dev::ReadTimedListFirst)));
    return kBareCommandBytes;
}

}  // namespace

void RegisterTimedListCommands(ProtocolEngine& engine) {
    engine.Register(dev::ResetTimedLists, Reset);
    engine.Register(dev::ConfigureTimedList, Configure);
    engine.Register(dev::StartTimedLists, Start);
    for (unsigned command = dev::ReadTimedListFirst; command <= dev::ReadTimedListLast; ++command) {
        engine.Register(static_cast<uint8_t>(command), Sample);
    }
}

}  // namespace vekgov
