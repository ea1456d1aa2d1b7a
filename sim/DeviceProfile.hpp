// Everything a governor tells at connection time, as plain data: the named
// profiles, a definition file or a command line fill one of these.
#pragma once

#include "DeviceCommands.hpp"
#include "Definitions.hpp"
#include "ErrorMemory.hpp"
#include "Firmware.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vekgov {

// One IntCode definition as sent in the version block (the host decides
// whether the minimum is signed).
struct IntCodeRange {
    uint16_t min = 0;
    uint16_t max = 0;
};

// Production data answered to the identification sub-commands, word by word
// (normally 2 serial data words, 5 PPS words, 4 board words).
struct IdentificationData {
    std::vector<uint16_t> serialData;
    std::vector<uint16_t> ppsNumber;
    std::vector<uint16_t> boardNumber;
};

struct DeviceProfile {
    std::string name;
    uint16_t syncWord = dev::SyncKind1;

    // Version block.
    uint16_t hardwareVersion = 0;  // major * 100 + minor
    uint16_t softwareVersion = 0;
    uint16_t transferBlockSize = 0;
    std::vector<IntCodeRange> intCodes;
    // Values per block of a group read; 0: as many as a block of
    // transferBlockSize bytes carries.
    uint16_t valueReadBlockValues = 0;

    // Definition checksum block: the data length (6 on old governors) and its words.
    uint16_t checksumBlockLength = 0;
    std::array<uint8_t, 8> definitionChecksum{};
    uint16_t parDefTotalBytes = 0;
    uint16_t bootstrapWord = 0;  // 0 while the boot loader runs
    uint16_t softwareExtension = 0;
    uint16_t commandsInfo = 0;
    uint16_t parDefNameLength = 0;
    uint32_t parDefTotalBytesLong = 0;

    // Enhanced feature codes the governor grants.
    std::vector<uint16_t> acceptedFeatures;

    // Empty: the governor does not answer the identification sub-commands.
    std::optional<IdentificationData> identification;

    // Sent for the definition request in blocks of whole records of at most
    // definitionBlockBytes data bytes. Set them with AttachDefinitions
    // (DefinitionBlocks.hpp), which keeps the totals above consistent.
    std::vector<Definition> definitions;
    uint16_t definitionBlockBytes = kDefaultDefinitionBlockBytes;

    // The error memory's record format, recorded arguments and history.
    ErrorMemorySetup errorMemory;

    // How the firmware is erased and uploaded, and how long a restart keeps
    // the governor silent.
    FirmwareSetup firmware;
    uint64_t bootTimeMs = 1500;
    // 0x11 starts the actuator click test; without one, the auto-adjustment.
    bool clickTestActuator = false;
};

}  // namespace vekgov
