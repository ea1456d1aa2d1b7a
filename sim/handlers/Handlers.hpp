// Each area of the governor registers the commands it answers from a file of
// its own; RegisterAllCommands calls every one of them.
#pragma once

#include "ProtocolEngine.hpp"

namespace vekgov {

// The checked block that follows a request's command byte. While the block
// is incomplete `consumed` is kNeedMoreBytes; a block that is broken, fails
// its checksum or holds fewer than minLength data bytes is answered with the
// refusing status and has no data; a broken one or a wrong checksum counts
// as a framing error.
struct CommandBlock {
    size_t consumed = kNeedMoreBytes;
    const uint8_t* data = nullptr;
    size_t length = 0;
};
CommandBlock TakeCommandBlock(const Request& request, size_t minLength, GovernorModel& model, Reply& reply);

// Framing of the extended command; its sub-commands come from the areas.
void RegisterExtendedCommand(ProtocolEngine& engine);
// Synchronisation, version, identifier, checksum block, baud rate,
// time-out check and the enhanced feature request.
void RegisterConnectionCommands(ProtocolEngine& engine);
// Serial data, PPS number and board number.
void RegisterIdentificationCommands(ProtocolEngine& engine);
// The definition records, block by block.
void RegisterDefinitionCommands(ProtocolEngine& engine);
// Single values and the block transfers of the value groups.
void RegisterValueCommands(ProtocolEngine& engine);
// Reset, configuration, start and samples of the timed lists.
void RegisterTimedListCommands(ProtocolEngine& engine);
// The actual errors in both formats.
void RegisterActualErrorCommands(ProtocolEngine& engine);
// The error memory; registered after the actual errors, whose raises it records.
void RegisterErrorMemoryCommands(ProtocolEngine& engine);
// Firmware erase and upload, basic and extended.
void RegisterFirmwareCommands(ProtocolEngine& engine);
// Store, reset, click test and auto-adjustment, clearing the operating data.
void RegisterServiceCommands(ProtocolEngine& engine);
// Reading and activating the parameter pages.
void RegisterPageCommands(ProtocolEngine& engine);

void RegisterAllCommands(ProtocolEngine& engine);

}  // namespace vekgov
