#include "handlers/Handlers.hpp"

namespace vekgov {

void RegisterAllCommands(ProtocolEngine& engine) {
    RegisterExtendedCommand(engine);
    RegisterConnectionCommands(engine);
    RegisterIdentificationCommands(engine);
    RegisterDefinitionCommands(engine);
    RegisterValueCommands(engine);
    RegisterTimedListCommands(engine);
    RegisterActualErrorCommands(engine);
    RegisterErrorMemoryCommands(engine);
    RegisterFirmwareCommands(engine);
    RegisterServiceCommands(engine);
    RegisterPageCommands(engine);
}

}  // namespace vekgov
