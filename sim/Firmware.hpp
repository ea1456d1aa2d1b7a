// The governor's firmware and how it is replaced. A governor running its
// application may have to restart before it can erase it (answering 9), into
// its boot loader when its profile says so; an extended erase may answer
// "busy" a number of times before it is done. The new image arrives as one
// stream (basic) or in blocks whose offsets follow on (extended); the
// governor checks its size and sum, keeps it and restarts with it.
#pragma once

#include "Framing.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vekgov {

struct GovernorModel;

struct FirmwareSetup {
    bool eraseRestarts = false;          // the application restarts before it can erase
    bool restartIntoBootLoader = false;  // and that restart starts the boot loader
    uint32_t eraseBusyAnswers = 0;       // an extended erase is "busy" this often first
    uint16_t uploadInfo = 0x0001;        // the answer to the information query
    uint16_t blockSize = 256;            // the extended upload's block size
    uint32_t capacity = 1u << 20;        // the largest image it takes
};

// Status words of the firmware commands besides 0 (done) and 9 (restarting).
namespace firmware_status {
constexpr uint16_t Busy = 1;           // erase: ask again
constexpr uint16_t NotErased = 3;      // image bytes before an erase
constexpr uint16_t BlockRefused = 5;   // wrong offset, empty, too long, beyond the capacity
constexpr uint16_t ImageRefused = 7;   // size or sum do not match what arrived
}  // namespace firmware_status

struct FirmwareArea {
    Bytes image;                      // the firmware held; empty: the one from the factory
    bool erased = false;
    bool restartedToErase = false;    // the restart before the erase is behind it
    uint32_t busyAnswersGiven = 0;
    Bytes incoming;                   // the extended upload so far
    // The application's BootstrapWord, kept while the boot loader runs.
    std::optional<uint16_t> applicationBootstrapWord;
    size_t eraseRequests = 0;
    size_t installedImages = 0;
};

bool InBootLoader(const GovernorModel& model);

// The answers to the firmware requests; each returns the status word.
uint16_t RequestErase(GovernorModel& model, bool extended);
uint16_t AcceptBlock(GovernorModel& model, uint32_t offset, const uint8_t* data, size_t n);
uint16_t TerminateUpload(GovernorModel& model, uint32_t size, uint16_t sum);
// The basic stream, once it has arrived whole; sumMatches tells whether its
// checksum word was right.
uint16_t AcceptImage(GovernorModel& model, const uint8_t* data, size_t n, bool sumMatches);

// The 16-bit sum of the bytes.
uint16_t ByteSum(const uint8_t* data, size_t n);

}  // namespace vekgov
