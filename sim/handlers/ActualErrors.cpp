// The actual errors, in the basic (8-bit state) format, or in the wide
// (16-bit state) one on governors whose checksum block announces it; others
// do not know that command and stay silent.
#include "ActualErrors.hpp"

#include "GovernorModel.hpp"
#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

constexpr size_t kBareCommandBytes = 1;

size_t ReadBasic(const Request&, GovernorModel& model, Reply& reply) {
    reply.Block(ActualErrorsReply(model, false));
    return kBareCommandBytes;
}

size_t ReadWide(const Request&, GovernorModel& model, Reply& reply) {
    if (model.profile.commandsInfo & dev::InfoExtendedActualErrors) reply.Block(ActualErrorsReply(model, true));
    return kBareCommandBytes;
}

}  // namespace

void RegisterActualErrorCommands(ProtocolEngine& engine) {
    engine.Register(dev::ReadActualErrors, ReadBasic);
    engine.Register(dev::ReadActualErrorsWide, ReadWide);
}

}  // namespace vekgov
