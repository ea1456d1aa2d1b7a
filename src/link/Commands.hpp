// Every command the library sends to the governor, with its sub-commands.
// The one place to look up a command byte: search for its name here, then
// for the name in the subsystem that sends it.
#pragma once

#include <cstdint>

namespace vek::cmd {

// Connection and identification.
constexpr uint8_t Synchronize = 0x01;         // + word 0xAA55 -> one word (device kind)
constexpr uint16_t SynchronizeWord = 0xAA55;
constexpr uint8_t ReadVersion = 0x02;         // -> block: version data
constexpr uint8_t SendIdentifier = 0x05;      // + identifier word + sum of its bytes -> status
constexpr uint8_t ReadChecksum = 0x09;        // -> block: definition checksum data
constexpr uint8_t BaudRate = 0x51;            // + 0x7C (announce) or a rate code -> status
constexpr uint8_t BaudRateAnnounce = 0x7C;
constexpr uint8_t TimeoutCheck = 0x54;        // + 1 on / 0 off -> status
constexpr uint8_t Identification = 0x59;      // + sub-command -> block
constexpr uint8_t IdentSerialData = 0x02;
constexpr uint8_t IdentPpsNumber = 0x04;
constexpr uint8_t IdentBoardNumber = 0x06;

// Definitions and values.
constexpr uint8_t ReadParDefs = 0x03;         // -> block of definition records; empty ends
constexpr uint8_t ReadRawValue = 0x28;        // + number (16/32-bit) -> value word + checksum word
constexpr uint8_t WriteRawValue = 0x2D;       // + number, value, sum of their bytes -> status
constexpr uint8_t ReadParameterValues = 0x47; // -> block of raw values; repeated until empty
constexpr uint8_t ReadMeasurementValues = 0x48;
constexpr uint8_t ReadFunctionValues = 0x49;
constexpr uint8_t ReadCurveValues = 0x4A;
constexpr uint8_t WriteParameterValues = 0x4C;  // + block of values -> status
constexpr uint8_t WriteFunctionValues = 0x4E;
constexpr uint8_t WriteCurveValues = 0x4F;

// Timed lists.
constexpr uint8_t ConfigureTimedList = 0x80;  // + block -> status
constexpr uint8_t ReadTimedList = 0x81;       // + list number added -> block
constexpr uint8_t ResetTimedList = 0xC1;      // -> status, accepted when (word & 0x7FFD) == 0
constexpr uint8_t StartTimedList = 0xC3;
constexpr uint16_t TimedListStatusMask = 0x7FFD;

// Errors.
constexpr uint8_t ReadActualErrors = 0x06;     // -> block of 3-byte entries
constexpr uint8_t ReadActualErrorsExt = 0x42;  // -> block of 4-byte entries (CommandsInfo bit 5)
constexpr uint8_t ReadBasicErrorMemory = ReadMeasurementValues;  // basic governors: next chunk of error words
constexpr uint8_t EraseErrorMemory = 0x0C;     // -> status; after a non-zero one a second status
constexpr uint8_t ErrorMemory = 0x56;          // + sub-command
constexpr uint8_t ErrorMemoryConfig = 0x00;    // -> block
constexpr uint8_t ErrorMemoryRecords = 0x01;   // -> length word and raw data
constexpr uint8_t ErrorMemoryRecordsExt = 0x05;
constexpr uint8_t ErrorMemoryAcknowledge = 0x09;  // + two words -> status

// Service commands and pages.
constexpr uint8_t Store = 0x0F;               // -> status (none on hardware major 4)
constexpr uint8_t StartClickTest = 0x11;      // also the actuator auto-adjustment
constexpr uint8_t StopClickTest = 0x12;
constexpr uint8_t Reset = 0x52;               // -> status 9
constexpr uint8_t Extended = 0x55;            // + block whose first word is a sub-command
constexpr uint16_t ExtClearOperatingData = 0x0002;
constexpr uint16_t ExtConfigureErrorArgs = 0x0003;
constexpr uint16_t ExtRequestFeature = 0x0004;
constexpr uint16_t FeatureEnhanced = 0xDE4F;       // codes sent with ExtRequestFeature
constexpr uint16_t FeatureLongNumbers = 0x90E6;
constexpr uint16_t FeatureNameLength = 0x2745;
constexpr uint16_t ExtActivatePage = 0x0005;
constexpr uint16_t ExtReadActivePage = 0x8005;

// Firmware.
constexpr uint8_t Firmware = 0x33;            // + block whose first byte is a sub-command
constexpr uint8_t FirmwareInfo = 0;
constexpr uint8_t FirmwareBlockSize = 1;
constexpr uint8_t FirmwareErase = 2;
constexpr uint8_t FirmwareData = 3;
constexpr uint8_t FirmwareTerminate = 4;
constexpr uint8_t EraseFirmware = 0x37;       // -> status (without CommandsInfo bit 8)
constexpr uint8_t UploadFirmware = 0x38;      // + size + 2, image, checksum -> status

}  // namespace vek::cmd
