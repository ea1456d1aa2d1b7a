// Production data: serial data, PPS number and board number, one block of
// words each. A governor without identification, or an unknown sub-command,
// gets no answer.
#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

constexpr size_t kRequestBytes = 2;  // command byte, sub-command byte

const std::vector<uint16_t>* WordsFor(uint8_t subCommand, const IdentificationData& data) {
    switch (subCommand) {
        case dev::IdentSerialData: return &data.serialData;
        case dev::IdentPpsNumber: return &data.ppsNumber;
        case dev::IdentBoardNumber: return &data.boardNumber;
        default: return nullptr;
    }
}

size_t Identification(const Request& request, GovernorModel& model, Reply& reply) {
    if (!request.Has(kRequestBytes)) return kNeedMoreBytes;
    const auto& identification = model.profile.identification;
    const std::vector<uint16_t>* words = identification ? WordsFor(request.Byte(1), *identification) : nullptr;
    if (words) {
        Bytes data;
        for (uint16_t word : *words) AppendWord(data, word);
        reply.Block(data);
    }
    return kRequestBytes;
}

}  // namespace

void RegisterIdentificationCommands(ProtocolEngine& engine) { engine.Register(dev::Identification, Identification); }

}  // namespace vekgov
