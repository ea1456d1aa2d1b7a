// The process-wide state of the library frame: what every Part reads and the
// caller sets through the state exports. One instance per process.
#pragma once

#include "VekLib.h"
#include "text/Text.hpp"

#include <cstdint>
#include <cstdio>

namespace vek {

constexpr uint16_t kDefaultIdentifier = 20054;      // 0x4E56
constexpr uint16_t kDefaultTransferBlockSize = 128;
constexpr std::size_t kLogFileNameCapacity = 260;   // 259 characters and the terminator
constexpr std::size_t kCallbackCount = 8;

struct Callbacks {
    VekStatusCallback status = nullptr;
    VekFirmwareProgressCallback firmwareProgress = nullptr;
    VekProgressCallback progress = nullptr;
    VekIdleCallback idle = nullptr;                  // a do-nothing default is installed at load
    VekErrorCallback error = nullptr;
    VekQuestionCallback question = nullptr;          // a "no" default is installed at load
    VekImportantErrorCallback importantError = nullptr;  // the message box default at load
    VekTranslateCallback translate = nullptr;
};

struct CoreState {
    uint16_t identifier = kDefaultIdentifier;
    uint8_t directSetFlag = 1;
    uint16_t transferBlockSize = kDefaultTransferBlockSize;
    void* userData = nullptr;
    Callbacks callbacks;
    VekStruct device{};
    uint16_t lastStatus = 0;
    Char logFileName[kLogFileNameCapacity] = {};
    std::FILE* logFile = nullptr;
};

// The one instance, with its load-time defaults.
CoreState& Core();
inline VekStruct& Device() { return Core().device; }

}  // namespace vek
