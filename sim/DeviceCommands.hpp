// Every number of the link protocol as the governor sees it: the command
// bytes it answers, their sub-commands, its status words and feature codes.
// The simulated governor keeps its own table so that it can catch a library
// that sends the wrong bytes.
#pragma once

#include <array>
#include <cstdint>

namespace vekgov::dev {

// Connection and identification.
constexpr uint8_t Synchronize = 0x01;            // + word 0xAA55 -> the profile's sync word
constexpr uint16_t SynchronizeRequest = 0xAA55;
constexpr uint8_t ReadVersion = 0x02;            // -> block: version data
constexpr uint8_t SendIdentifier = 0x05;         // + identifier word + sum of its bytes -> status
constexpr uint8_t ReadChecksum = 0x09;           // -> block: definition checksum data
constexpr uint8_t ReadDefinitions = 0x03;        // -> next block of definition records; empty at the end
constexpr uint8_t BaudRate = 0x51;               // + announce or a rate code -> status
constexpr uint8_t BaudRateAnnounce = 0x7C;
constexpr uint8_t TimeoutCheck = 0x54;           // + 0 off / 1 on -> status
constexpr uint8_t Extended = 0x55;               // + block whose first word is a sub-command
constexpr uint16_t ExtFeatureRequest = 0x0004;   // + feature code word -> status
constexpr uint8_t Identification = 0x59;         // + sub-command -> block
constexpr uint8_t IdentSerialData = 0x02;
constexpr uint8_t IdentPpsNumber = 0x04;
constexpr uint8_t IdentBoardNumber = 0x06;

// Values.
constexpr uint8_t ReadRawValue = 0x28;           // + number (2 or 4 bytes) -> value word + sum of its bytes
constexpr uint8_t WriteRawValue = 0x2D;          // + number, value word, sum of their bytes -> status
constexpr uint8_t ReadParameterValues = 0x47;    // -> next block of values; empty at the end
constexpr uint8_t ReadMeasurementValues = 0x48;
constexpr uint8_t ReadFunctionValues = 0x49;
constexpr uint8_t ReadCurveValues = 0x4A;
constexpr uint8_t WriteParameterValues = 0x4C;   // + block of values -> status
constexpr uint8_t WriteFunctionValues = 0x4E;
constexpr uint8_t WriteCurveValues = 0x4F;

// Timed lists and actual errors.
constexpr uint8_t ConfigureTimedList = 0x80;     // + block: list + 1, timer number, item numbers -> status
constexpr uint8_t ReadTimedListFirst = 0x81;     // + list number -> block: timer, item values
constexpr uint8_t ReadTimedListLast = 0xC0;
constexpr uint8_t ResetTimedLists = 0xC1;        // -> status
constexpr uint8_t StartTimedLists = 0xC3;        // -> status
constexpr uint16_t StatusTimedListsIdle = 0x0002;  // reset of stopped lists, start of running ones
constexpr uint8_t ReadActualErrors = 0x06;       // -> block: 16-bit number, 8-bit state per error
constexpr uint8_t ReadActualErrorsWide = 0x42;   // -> block: 16-bit number, 16-bit state per error

// Error memory.
constexpr uint8_t ErrorMemory = 0x56;             // + sub-command
constexpr uint8_t ErrorMemoryConfig = 0x00;       // -> block: format, aux, count, argument numbers
constexpr uint8_t ErrorMemoryRecords = 0x01;      // -> length word and records (no variant)
constexpr uint8_t ErrorMemoryRecordsVariant = 0x05;  // the same with the error memory variant
constexpr uint8_t ErrorMemoryAcknowledge = 0x09;  // + two words -> status
constexpr uint8_t EraseErrorMemory = 0x0C;        // -> status; a code first when it cannot erase at once
constexpr uint16_t ExtConfigureErrorArgs = 0x0003;  // + count word and numbers -> status

// Firmware.
constexpr uint8_t Firmware = 0x33;               // + block: sub-command byte and its data
constexpr uint8_t FirmwareInfo = 0;              // -> two bytes and a word with their sum
constexpr uint8_t FirmwareBlockSize = 1;         // -> two bytes and a word with their sum
constexpr uint8_t FirmwareErase = 2;             // -> status: 0 erased, 1 busy (ask again), 9 restarting
constexpr uint8_t FirmwareData = 3;              // + 32-bit offset and image bytes -> status
constexpr uint8_t FirmwareTerminate = 4;         // + 32-bit image size and 16-bit sum -> status
constexpr uint8_t EraseFirmware = 0x37;          // -> status (governors without the extended protocol)
constexpr uint8_t UploadFirmware = 0x38;         // + image size + 2, image, 16-bit sum -> status

// Service commands and parameter pages.
constexpr uint8_t Store = 0x0F;                  // -> status; hardware 4 stores without answering
constexpr uint8_t ActuatorStart = 0x11;          // click test start, or the auto-adjustment
constexpr uint8_t ClickTestStop = 0x12;          // -> status
constexpr uint8_t Reset = 0x52;                  // -> status 9, then restarts
constexpr uint16_t ExtClearOperatingData = 0x0002;  // + one byte 0 -> status
constexpr uint16_t ExtActivatePage = 0x0005;        // + page word -> status (a second one after a refusal)
constexpr uint16_t ExtReadActivePage = 0x8005;      // -> block with the page word
constexpr uint16_t StatusRestarting = 0x0009;       // to an erase or a reset: the governor restarts

// BootstrapWord bits.
constexpr uint16_t BootstrapExtendedErrorMemory = 0x0010;  // the error memory records can be read

// Synchronisation replies, one per device kind.
constexpr uint16_t SyncKind1 = 0xAA55;
constexpr uint16_t SyncKind2 = 0xAC55;
constexpr uint16_t SyncKind3 = 0xAC59;

// Status words.
constexpr uint16_t StatusOk = 0x0000;
constexpr uint16_t StatusRefused = 0x0001;

// Enhanced protocol features a host may request through ExtFeatureRequest.
constexpr uint16_t FeatureEnhanced = 0xDE4F;
constexpr uint16_t FeatureWideNumbers = 0x90E6;
constexpr uint16_t FeatureLongNames = 0x2745;

// CommandsInfo bits of the checksum block.
constexpr uint16_t InfoExtendedActualErrors = 0x0020;
constexpr uint16_t InfoExtendedFirmware = 0x0100;
constexpr uint16_t InfoErrorMemoryVariant = 0x0400;
constexpr uint16_t InfoEnhanced = 0x0800;
constexpr uint16_t InfoWideNumbers = 0x1000;
constexpr uint16_t InfoParameterPages = 0x4000;

// Baud rates by rate code; the governor runs at the start rate after the wake-up.
constexpr std::array<uint32_t, 10> BaudRates = {2400, 4800, 9600, 14400, 19200, 28800, 38400, 57600, 115200, 230400};
constexpr uint8_t StartRateCode = 2;
constexpr uint32_t StartBaudRate = BaudRates[StartRateCode];

}  // namespace vekgov::dev
