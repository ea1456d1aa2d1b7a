#include "GovernorSession.hpp"

#include "support/FakeClock.hpp"
#include "values/ValueText.hpp"

#include <cstddef>
#include <iterator>

namespace vekfuzz {

namespace {

// Numbers of the simulated governor's own definitions: a plain parameter, a
// range-limited one, a hexadecimal one, a measurement and the running timer.
constexpr uint32_t kIdleSpeed = 1;
constexpr uint32_t kRangedSetpoint = 102;
constexpr uint32_t kHexNodeId = 120;
constexpr uint32_t kSpeed = 2000;
constexpr uint32_t kOilTemp = 2006;
constexpr uint32_t kTimer = 2999;
constexpr uint16_t kIdleSpeedValue = 750;
constexpr uint8_t kTimedList = 0;
constexpr size_t kTimedListCapacity = 16;  // values a timed list samples at most
constexpr uint16_t kSecondPage = 1;
constexpr uint16_t kValueTextCapacity = 64;

// Texts for the interface, whose character type is 16 bits wide on every platform.
const VekChar* Api(const char16_t* text) { return reinterpret_cast<const VekChar*>(text); }

void Values() {
    VekReadRawValue(kIdleSpeed);
    VekWriteRawValue(kIdleSpeed, kIdleSpeedValue);
    VekSetValue(kRangedSetpoint, Api(u"1500"));
    VekSetValue(kHexNodeId, Api(u"1F"));
    VekChar text[kValueTextCapacity] = {};
    VekGetValue(kSpeed, text, kValueTextCapacity);
    VekChar range[vek::kRangeTextCapacity] = {};
    VekGetValueRange(kRangedSetpoint, range);
    VekReadAllValues();
    VekWriteAllValues();
}

void TimedList() {
    const uint32_t ids[] = {kSpeed, kOilTemp, kTimer};
    VekSetTimedList(kTimedList, static_cast<uint32_t>(std::size(ids)), ids);
    uint32_t stamp = 0;
    double values[kTimedListCapacity] = {};
    VekReadTimedList(kTimedList, &stamp, values);
    VekReadTimedList(kTimedList, &stamp, values);
}

void Errors() {
    VekReadActualErrors();
    for (uint32_t i = 0; i < VekGetPendingErrorsNum(); ++i) {
        VekGetPendingErrorId(i);
        VekGetPendingErrorOldValue(i);
    }
    const int32_t recorded[] = {static_cast<int32_t>(kSpeed), static_cast<int32_t>(kOilTemp)};
    VekConfigureErrorMemoryArgs(static_cast<int32_t>(std::size(recorded)), recorded);
    VekReadErrorMemory();
    const uint32_t entries = VekGetErrorEntriesNum();
    if (entries > 0) {
        const ErrorEntry* first = VekGetErrorEntryByIndex(0);
        VekAcknowledgeErrorMemoryItem(first->Word1, first->Word2);
    }
    VekGetErrorEntryByIndex(entries);  // one past the end: null
    VekEraseErrorMemory();
}

void Pages() {
    if (!VekParamPagesFeatureAvailable()) return;
    int32_t page = 0;
    VekGetActiveParamPage(&page);
    VekActivateParamPage(kSecondPage);
    VekActivateParamPage(static_cast<uint16_t>(page));
}

}  // namespace

void ResetLibraryState() {
    VekClearParDefs();
    *VekGetVekStruct() = VekStruct{};
    VekDirectSet(1);
}

SessionRecord::SessionRecord() : saved_(*VekGetStream()) { VekConfigureSerialStream(Api(u"fuzz"), kSessionBaudRate); }

SessionRecord::~SessionRecord() { *VekGetStream() = saved_; }

void RunGovernorSession() {
    vektest::FakeClock clock;
    ResetLibraryState();
    VekInit();
    VekReadAllParDef();
    Values();
    TimedList();
    Errors();
    Pages();
    VekPing();
    VekReconnect();
    VekClose();
    ResetLibraryState();
}

}  // namespace vekfuzz
