// What the governor answers while a host connects: synchronisation, the
// version and checksum blocks, the identifier, the baud rate change, the
// time-out supervision switch and the enhanced feature request.
#include "DeviceBlocks.hpp"
#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

// Request lengths, command byte included.
constexpr size_t kSynchronizeBytes = 3;   // + request word
constexpr size_t kIdentifierBytes = 5;    // + identifier word + sum word
constexpr size_t kByteArgumentBytes = 2;  // + one argument byte
constexpr size_t kBareCommandBytes = 1;

// Only the expected request word gets the sync word; anything else is noise.
size_t Synchronize(const Request& request, GovernorModel& model, Reply& reply) {
    if (!request.Has(kSynchronizeBytes)) return kNeedMoreBytes;
    if (request.Word(1) == dev::SynchronizeRequest) reply.Word(model.profile.syncWord);
    return kSynchronizeBytes;
}

size_t ReadVersion(const Request&, GovernorModel& model, Reply& reply) {
    reply.Block(VersionBlockData(model.profile));
    return kBareCommandBytes;
}

size_t ReadChecksum(const Request&, GovernorModel& model, Reply& reply) {
    reply.Block(ChecksumBlockData(model.profile));
    return kBareCommandBytes;
}

// The identifier word is followed by the 16-bit sum of its two bytes.
size_t SendIdentifier(const Request& request, GovernorModel& model, Reply& reply) {
    if (!request.Has(kIdentifierBytes)) return kNeedMoreBytes;
    const uint16_t sum = static_cast<uint16_t>(request.Byte(1) + request.Byte(2));
    const bool accepted = request.Word(3) == sum;
    model.link.lastIdentifier = LinkState::Identifier{request.Word(1), accepted};
    reply.Status(accepted ? dev::StatusOk : dev::StatusRefused);
    return kIdentifierBytes;
}

// A rate code is taken only right after the announcement.
size_t BaudRate(const Request& request, GovernorModel& model, Reply& reply) {
    if (!request.Has(kByteArgumentBytes)) return kNeedMoreBytes;
    const uint8_t argument = request.Byte(1);
    LinkState& link = model.link;
    if (argument == dev::BaudRateAnnounce) {
        link.rateAnnounced = true;
        reply.Status(dev::StatusOk);
    } else if (link.rateAnnounced && argument < dev::BaudRates.size()) {
        link.rateCode = argument;
        link.rateAnnounced = false;
        reply.Status(dev::StatusOk);
    } else {
        reply.Status(dev::StatusRefused);
    }
    return kByteArgumentBytes;
}

// The flag is 1 (on) or 0 (off); any other byte is refused.
size_t TimeoutCheck(const Request& request, GovernorModel& model, Reply& reply) {
    if (!request.Has(kByteArgumentBytes)) return kNeedMoreBytes;
    const uint8_t flag = request.Byte(1);
    if (flag > 1) {
        reply.Status(dev::StatusRefused);
    } else {
        model.link.timeoutCheck = flag == 1;
        reply.Status(dev::StatusOk);
    }
    return kByteArgumentBytes;
}

void RequestFeature(const uint8_t* args, size_t n, GovernorModel& model, Reply& reply) {
    constexpr size_t kCodeBytes = 2;
    const bool granted = n == kCodeBytes && model.AcceptsFeature(GetWord(args));
    if (granted && !model.link.FeatureEnabled(GetWord(args))) model.link.enabledFeatures.push_back(GetWord(args));
    reply.Status(granted ? dev::StatusOk : dev::StatusRefused);
}

}  // namespace

void RegisterConnectionCommands(ProtocolEngine& engine) {
    engine.Register(dev::Synchronize, Synchronize);
    engine.Register(dev::ReadVersion, ReadVersion);
    engine.Register(dev::SendIdentifier, SendIdentifier);
    engine.Register(dev::ReadChecksum, ReadChecksum);
    engine.Register(dev::BaudRate, BaudRate);
    engine.Register(dev::TimeoutCheck, TimeoutCheck);
    engine.RegisterExtended(dev::ExtFeatureRequest, RequestFeature);
}

}  // namespace vekgov
