// The error memory commands: configuration, records, acknowledge, erase
// and the choice of the recorded arguments. A basic governor, whose memory
// travels with the measurement values, answers neither the configuration nor
// the records request; nor does a governor that is asked for its records with
// the other variant's sub-command. The acknowledge takes the error number
// and the count the host has seen: an error that came again since is not
// acknowledged unseen.
#include "ErrorMemory.hpp"

#include "GovernorModel.hpp"
#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

constexpr size_t kSubCommandBytes = 2;   // command byte, sub-command byte
constexpr size_t kAcknowledgeBytes = 6;  // + two words
constexpr size_t kBareCommandBytes = 1;

uint8_t RecordsSubCommand(const GovernorModel& model) {
    return UsesVariant(model.profile) ? dev::ErrorMemoryRecordsVariant : dev::ErrorMemoryRecords;
}

size_t ErrorMemoryCommand(const Request& request, GovernorModel& model, Reply& reply) {
    if (!request.Has(kSubCommandBytes)) return kNeedMoreBytes;
    const uint8_t subCommand = request.Byte(1);
    if (subCommand == dev::ErrorMemoryAcknowledge) {
        if (!request.Has(kAcknowledgeBytes)) return kNeedMoreBytes;
        reply.Status(AcknowledgeErrorRecord(model, request.Word(2), request.Word(4)));
        return kAcknowledgeBytes;
    }
    if (!HasRecordMemory(model.profile)) return kSubCommandBytes;
    if (subCommand == dev::ErrorMemoryConfig) {
        reply.Block(ErrorMemoryConfigData(model));
    } else if (subCommand == RecordsSubCommand(model)) {
        reply.Raw(ErrorMemoryRecordsReply(model));
    }
    return kSubCommandBytes;
}

size_t Erase(const Request&, GovernorModel& model, Reply& reply) {
    for (uint16_t status : EraseErrorMemory(model)) reply.Status(status);
    return kBareCommandBytes;
}

}  // namespace

void RegisterErrorMemoryCommands(ProtocolEngine& engine) {
    InstallErrorMemory(engine.Model());
    engine.Register(dev::ErrorMemory, ErrorMemoryCommand);
    engine.Register(dev::EraseErrorMemory, Erase);
    engine.RegisterExtended(dev::ExtConfigureErrorArgs,
                            [](const uint8_t* args, size_t n, GovernorModel& model, Reply& reply) {
                                reply.Status(ConfigureErrorArgs(model, args, n));
                            });
}

}  // namespace vekgov
