// The governor's non-volatile error memory. Every error that the governor
// raises is recorded: the first raise of a number makes a record with the
// operating time and the recorded argument values, a later one counts up and
// stamps the second time and the second argument set. The host reads the
// configuration and the records, acknowledges a record, erases them all
// and chooses the recorded arguments.
//
// Basic governors (error memory kind 0 or 1) have no records on the line:
// their memory is the word of each error definition, read with the
// measurement values: the state while the error is present, then 2 for a
// stored and 3 for an acknowledged error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "Framing.hpp"

namespace vekgov {

struct GovernorModel;
struct DeviceProfile;
class ProtocolEngine;

namespace record_format {
constexpr uint16_t Times = 0;       // number, time stamps, counter, arguments
constexpr uint16_t Words = 1;       // adds Word1 (and Word2 with the variant)
constexpr uint16_t TwoArgSets = 3;  // adds Word3, Word4 and a second argument set
}  // namespace record_format

constexpr size_t kMaxErrorArgs = 16;
constexpr size_t kRecordsReplyCapacity = 2000;  // the host's buffer for the length's bytes

struct ErrorMemoryRecord {
    uint16_t number = 0;
    uint32_t firstSeconds = 0;       // operating time of the first occurrence
    uint32_t lastSeconds = 0;        // operating time of the last occurrence
    uint8_t count = 0;               // occurrences, held at 255
    uint16_t lastState = 0;          // Word1
    uint16_t flags = 0;              // Word2 (with the variant): record_flag bits
    uint16_t firstState = 0;         // Word3
    uint16_t worstState = 0;         // Word4: the highest state seen
    std::vector<uint16_t> args;      // argument values at the first occurrence
    std::vector<uint16_t> lastArgs;  // at the last occurrence (format 3)
};

namespace record_flag {
constexpr uint16_t Acknowledged = 0x0001;
}

// What a profile says about its error memory.
struct ErrorMemorySetup {
    uint16_t format = record_format::Times;
    uint16_t aux = 0;                        // the configuration's second word, unused by the host
    std::vector<uint32_t> argIds;            // at most kMaxErrorArgs
    size_t capacity = 24;                    // records kept; the oldest gives way
    uint32_t operatingSeconds = 0;           // the hour counter when switched on
    std::vector<ErrorMemoryRecord> history;  // records present when switched on
};

// The typical memory of a profile: format, three or four arguments among
// the measurements, a few records from earlier operating hours.
ErrorMemorySetup TypicalErrorMemory(uint16_t format);

// How an erase goes when the governor cannot erase at once: its first
// status word is the code, the second tells what came of it.
enum class EraseOutcome { ErasedAfterAll, Refused, Silent };
struct EraseFault {
    uint16_t code = 0;  // 3 EEPROM access, 11 not available now, 12 supply too low
    EraseOutcome outcome = EraseOutcome::Refused;
};
namespace erase_code {
constexpr uint16_t EepromAccess = 3;
constexpr uint16_t NotAvailableNow = 11;
constexpr uint16_t SupplyTooLow = 12;
}  // namespace erase_code

struct ErrorMemoryArea {
    uint16_t format = record_format::Times;
    uint16_t aux = 0;
    std::vector<uint32_t> argIds;
    size_t capacity = 0;
    uint32_t operatingSeconds = 0;
    std::vector<ErrorMemoryRecord> records;  // oldest first
    std::optional<EraseFault> eraseFault;    // every erase fails this way while set
};

// Sets the area up from the profile and records every error raised from now on.
void InstallErrorMemory(GovernorModel& model);

// Whether the host reads this governor's memory as records (kinds 2 and 3).
bool HasRecordMemory(const DeviceProfile& profile);
// 32-bit argument numbers and 4 bytes per argument in the record size.
bool UsesWideArgs(const DeviceProfile& profile);
// Word2 in formats 1 and 3, records asked for with sub-command 5.
bool UsesVariant(const DeviceProfile& profile);

// The operating time now, in seconds.
uint32_t OperatingSeconds(const GovernorModel& model);
// Records one raise of an error at an operating time. The memory keeps as
// many records as its capacity and the host's reply buffer allow.
void RecordError(GovernorModel& model, uint32_t number, uint16_t state, uint32_t seconds);
// The word of an error definition that is not present: on a basic
// governor 2 while the memory holds the error, 3 once acknowledged, else 0;
// always 0 on a governor whose memory holds records.
uint16_t ErrorMemoryWord(const GovernorModel& model, uint32_t number);
// The distance between records on the line: the base of the format and
// variant, and 2 bytes per argument, or 4 with 32-bit argument numbers.
size_t RecordSize(const GovernorModel& model);

// The configuration block's data.
Bytes ErrorMemoryConfigData(const GovernorModel& model);
// The records reply: length word, the records at RecordSize apart, a trailer.
Bytes ErrorMemoryRecordsReply(const GovernorModel& model);

// Status words of the maintenance commands.
uint16_t AcknowledgeErrorRecord(GovernorModel& model, uint16_t number, uint16_t count);
// The words the governor answers to an erase (one or two).
std::vector<uint16_t> EraseErrorMemory(GovernorModel& model);
uint16_t ConfigureErrorArgs(GovernorModel& model, const uint8_t* data, size_t n);

}  // namespace vekgov
