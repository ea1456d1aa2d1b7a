// The definition request: each one answers the next block of whole records;
// when all have gone, an empty block ends the transfer and the next request
// starts again from the first record.
#include "DefinitionBlocks.hpp"
#include "handlers/Handlers.hpp"

#include <algorithm>

namespace vekgov {

namespace {

size_t ReadDefinitions(const Request&, GovernorModel& model, Reply& reply) {
    const DeviceProfile& profile = model.profile;
    const DefinitionLayout layout = LayoutOf(profile);
    // At least one record a block, however small the block size.
    const size_t perBlock = std::max<size_t>(1, profile.definitionBlockBytes / layout.RecordSize());
    size_t& next = model.link.nextDefinition;
    const size_t end = std::min(profile.definitions.size(), next + perBlock);
    Bytes data;
    data.reserve((end - std::min(next, end)) * layout.RecordSize());
    for (; next < end; ++next) AppendDefinition(data, profile.definitions[next], layout);
    if (data.empty()) next = 0;
    reply.Block(data);
    return 1;
}

}  // namespace

void RegisterDefinitionCommands(ProtocolEngine& engine) { engine.Register(dev::ReadDefinitions, ReadDefinitions); }

}  // namespace vekgov
