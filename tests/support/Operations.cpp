#include "support/Operations.hpp"

#include "VekLib.h"
#include "core/State.hpp"
#include "errors/ActualErrors.hpp"
#include "errors/ErrorMemory.hpp"
#include "values/TimedList.hpp"

#include "Values.hpp"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <set>
#include <utility>

namespace vektest {

namespace {

using vekgov::Fault;
using vekgov::GovernorModel;
using vekgov::ValueGroup;

// A parameter, a measurement, a timer and a range parameter of the built-in
// definitions.
constexpr uint32_t kIdleSpeed = 1;
constexpr uint32_t kMeasurement = 2000;
constexpr uint32_t kTimer = 2999;
constexpr uint32_t kRangedSetpoint = 102;
constexpr uint16_t kIdleSpeedValue = 700;
constexpr uint8_t kRangeCode = 250;  // limits are the values of two range parameters
// Stored in the library's cache before an operation that must not touch it
// when it fails; no governor answers it.
constexpr uint16_t kUntouched = 0xBEEF;
constexpr int32_t kNoPage = -7;
constexpr uint16_t kPageToActivate = 1;
constexpr size_t kFirmwareBytes = 100;
constexpr size_t kPrmTextCapacity = 1 << 20;  // more than any parameter text of the built-in governors

const VekChar* Api(const std::u16string& text) { return reinterpret_cast<const VekChar*>(text.c_str()); }
std::u16string PathText(const std::filesystem::path& path) { return path.u16string(); }

bool Ok(int32_t result) { return result != 0; }
// The group reads return 0 for success.
bool GroupOk(int32_t result) { return result == 0; }

// --- State that a failure must leave alone -------------------------------------

// The values the parameter upload sends, and those the governor held instead.
struct UploadValues {
    std::map<uint32_t, std::pair<uint16_t, uint16_t>> sentAndHeld;
};
UploadValues upload;

struct PendingSnapshot {
    uint32_t count = 0;
    uint8_t errorsCurrent = 0;
};
PendingSnapshot pending;

int32_t activePage = kNoPage;

constexpr std::array<ValueGroup, 3> kWrittenGroups = {ValueGroup::Parameters, ValueGroup::Functions,
                                                      ValueGroup::Curves};

std::filesystem::path UploadFile(const OperationContext& c) { return c.scratch / "upload.prm"; }
std::filesystem::path DownloadFile(const OperationContext& c) { return c.scratch / "download.prm"; }
std::filesystem::path FirmwareFile(const OperationContext& c) { return c.scratch / "firmware.bin"; }

std::vector<uint8_t> FirmwareImage() {
    std::vector<uint8_t> image(kFirmwareBytes);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 37);
    return image;
}

// Saves the governor's parameter text to the upload file, then changes every
// value it will send, so that the upload has something to change back.
void PrepareUpload(OperationContext& c) {
    std::vector<char> text(kPrmTextCapacity);
    int32_t size = static_cast<int32_t>(text.size());
    ASSERT_EQ(VekDownloadPrmBuffer(text.data(), &size), 1);
    std::ofstream(UploadFile(c), std::ios::binary).write(text.data(), size);
    GovernorModel& model = c.host.Model();
    // The limits of range-coded parameters are read while the text is parsed:
    // they keep their values.
    std::set<uint32_t> rangeLimits;
    for (const vekgov::Definition& definition : model.profile.definitions) {
        if (definition.intCode != kRangeCode) continue;
        rangeLimits.insert(definition.min);
        rangeLimits.insert(definition.max);
    }
    upload.sentAndHeld.clear();
    for (const ValueGroup group : kWrittenGroups) {
        for (const uint32_t number : vekgov::GroupNumbers(model.profile, group)) {
            if (rangeLimits.count(number)) continue;
            const uint16_t sent = *vekgov::ReadValue(model, number);
            const uint16_t held = static_cast<uint16_t>(sent ^ 1);
            vekgov::WriteValue(model, number, held);
            upload.sentAndHeld[number] = {sent, held};
        }
    }
}

// Blocks written before the failure stay in the governor, the rest keep
// their values: no value is anything else.
void CheckUploadLeftWholeValues(OperationContext& c) {
    for (const auto& [number, values] : upload.sentAndHeld) {
        const uint16_t now = *vekgov::ReadValue(c.host.Model(), number);
        EXPECT_TRUE(now == values.first || now == values.second) << "number " << number << " holds " << now;
    }
}

void MarkIdleSpeedUntouched(OperationContext&) { VekAddParDef(kIdleSpeed)->RawValue = kUntouched; }

void CheckRawReadFailure(OperationContext&) {
    EXPECT_EQ(VekGetParDef(kIdleSpeed)->RawValue, kUntouched);
    const uint32_t status = VekGetLastError();
    EXPECT_TRUE(status == 0xFFFE || status == 0xFFFD || status == 0xFFFC) << status;
}

void MarkListUntouched(OperationContext&) {
    VekGetParDef(kMeasurement)->RawValue = kUntouched;
    VekGetParDef(kTimer)->RawValue = kUntouched;
}

void CheckListUntouched(OperationContext&) {
    EXPECT_EQ(VekGetParDef(kMeasurement)->RawValue, kUntouched);
    EXPECT_EQ(VekGetParDef(kTimer)->RawValue, kUntouched);
}

void SnapshotPending(OperationContext&) {
    pending.count = VekGetPendingErrorsNum();
    pending.errorsCurrent = VekGetVekStruct()->ErrorsCurrent;
}

void CheckPendingUnchanged(OperationContext&) {
    EXPECT_EQ(VekGetPendingErrorsNum(), pending.count);
    EXPECT_EQ(VekGetVekStruct()->ErrorsCurrent, pending.errorsCurrent);
}

void CheckPageNotWritten(OperationContext&) { EXPECT_EQ(activePage, kNoPage); }

void CheckStreamClosed(OperationContext& c) { EXPECT_FALSE(c.host.IsOpen()); }

void WriteFirmwareFile(OperationContext& c) {
    const std::vector<uint8_t> image = FirmwareImage();
    std::ofstream(FirmwareFile(c), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
}

// A port that has been used before holds the reply time-out.
void UsedPortTimeout(OperationContext&) {
    SerialStream* s = VekGetStream();
    s->SetTimeout(s, s->ResponseTimeout);
}

// --- What a fault may legitimately leave a success ------------------------------

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

// The exchanges of the connection sequence, as the governor's log shows them.
constexpr const char* kSynchronisation = "> 01 55 AA <";
constexpr const char* kIdentifier = "> 05 ";
constexpr const char* kIdentification = "> 59 ";
constexpr std::array<const char*, 7> kConnectionExchanges = {
    kSynchronisation, "> 51 ", "> 02 <", "> 09 <", "> 55 06 00 04 00 ", kIdentifier, kIdentification};

// Any word answering the synchronisation connects (an unknown one as device
// kind 0); the identifier's result is not used, whatever came back, as long
// as the governor stays to serve the rest.
bool ConnectionTolerates(Fault fault, const std::vector<std::string>& healthy, size_t index) {
    const std::string& exchange = healthy[index];
    if (StartsWith(exchange, kSynchronisation)) return fault == Fault::RefusingStatus || fault == Fault::Garbage;
    return StartsWith(exchange, kIdentifier) && fault != Fault::Restart;
}

// After a restart the connection is tried again until the start-up wait is
// over: a fault in one attempt is mended by the next. An attempt must fail
// for that, though: a boot loader is not identified, so a governor that
// restarts at the identifier ends a connection that succeeds, and is gone
// for the command after it, if there is one.
bool ReconnectionTolerates(Fault fault, const std::vector<std::string>& healthy, size_t index) {
    const std::string& exchange = healthy[index];
    if (fault == Fault::Restart && StartsWith(exchange, kIdentifier)) {
        return index + 1 == healthy.size() || StartsWith(healthy[index + 1], kIdentification);
    }
    for (const char* start : kConnectionExchanges) {
        if (StartsWith(exchange, start)) return true;
    }
    return false;
}

// The extended erase is asked again after a busy status (1), which is what
// the refusing fault answers; where the governor had erased at once, the
// second request finds it done.
bool FirmwareTolerates(Fault fault, const std::vector<std::string>& healthy, size_t index) {
    const std::string& exchange = healthy[index];
    const std::string erasedAtOnce = "< 00 00";
    const bool erase = StartsWith(exchange, "> 33 03 00 02 ") &&
                       exchange.compare(exchange.size() - erasedAtOnce.size(), erasedAtOnce.size(), erasedAtOnce) == 0;
    return (fault == Fault::RefusingStatus && erase) || ReconnectionTolerates(fault, healthy, index);
}

// A value text that cannot be made (a range parameter that cannot be read)
// is left empty in the file, which is still written.
bool ValueTextTolerates(Fault, const std::vector<std::string>& healthy, size_t index) {
    return StartsWith(healthy[index], "> 28 ");
}

// One row of the table, filled by name: Row("Ping", Needs::Connection, run).Profile("hw5")...
struct Row : Operation {
    Row(const char* name, Needs needs, bool (*run)(OperationContext&))
        : Operation{name, "default", needs, nullptr, run, nullptr, false, false, nullptr} {}
    Row& Profile(const char* name) { profile = name; return *this; }
    Row& Prepare(void (*step)(OperationContext&)) { prepare = step; return *this; }
    Row& AfterFailure(void (*check)(OperationContext&)) { checkAfterFailure = check; return *this; }
    Row& LosesConnection() { failureLosesConnection = true; return *this; }
    Row& RefusalByStatusOnly() { refusalByStatusOnly = true; return *this; }
    Row& Tolerates(bool (*rule)(Fault, const std::vector<std::string>&, size_t)) {
        tolerates = rule;
        return *this;
    }
};

const std::vector<Operation> kOperations = {
    // Connection and identification.
    Row("Init", Needs::Nothing, [](OperationContext&) { return Ok(VekInit()); })
        .Prepare(UsedPortTimeout).AfterFailure(CheckStreamClosed).LosesConnection().Tolerates(ConnectionTolerates),
    Row("ReadIdentification", Needs::Connection, [](OperationContext&) { return Ok(VekReadIdentification()); }),
    Row("Ping", Needs::Connection, [](OperationContext&) { return Ok(VekPing()); }),
    Row("Reconnect", Needs::TimedList, [](OperationContext&) { return Ok(VekReconnect()); })
        .LosesConnection().Tolerates(ConnectionTolerates),
    Row("EnableTimeoutCheck", Needs::Connection, [](OperationContext&) { return Ok(VekEnableTimeoutCheck(0)); })
        .RefusalByStatusOnly(),
    // Definitions.
    Row("ReadAllParDef", Needs::Connection, [](OperationContext&) { return Ok(VekReadAllParDef()); })
        .Prepare([](OperationContext&) { VekClearParDefs(); }),
    // Single values.
    Row("ReadRawValue", Needs::Connection, [](OperationContext&) { return Ok(VekReadRawValue(kIdleSpeed)); })
        .Prepare(MarkIdleSpeedUntouched).AfterFailure(CheckRawReadFailure),
    Row("WriteRawValue", Needs::Connection,
        [](OperationContext&) { return Ok(VekWriteRawValue(kIdleSpeed, kIdleSpeedValue)); }),
    Row("SetValue", Needs::Definitions, [](OperationContext&) { return Ok(VekSetValue(kIdleSpeed, Api(u"700"))); }),
    Row("GetRealValueOfRange", Needs::Definitions,
        [](OperationContext&) {
            double value = 0;
            return Ok(VekGetRealValue(kRangedSetpoint, &value));
        }),
    // Timed lists.
    Row("SetTimedList", Needs::Definitions,
        [](OperationContext&) {
            const uint32_t ids[] = {kMeasurement, kIdleSpeed};
            return Ok(VekSetTimedList(1, 2, ids));
        }),
    Row("ReadTimedList", Needs::TimedList,
        [](OperationContext&) {
            uint32_t stamp = 0;
            double values[2] = {};
            return Ok(VekReadTimedList(0, &stamp, values));
        })
        .Prepare(MarkListUntouched).AfterFailure(CheckListUntouched),
    // Bulk values. A write that fails leaves the governor waiting for the
    // rest of its block transfer until the next wake-up.
    Row("ReadParameterValues", Needs::Definitions, [](OperationContext&) { return GroupOk(VekReadParameterValues()); }),
    Row("ReadMeasurementValues", Needs::Definitions,
        [](OperationContext&) { return GroupOk(VekReadMeasurementValues()); }),
    Row("ReadFunctionValues", Needs::Definitions, [](OperationContext&) { return GroupOk(VekReadFunctionValues()); }),
    Row("ReadCurveValues", Needs::Definitions, [](OperationContext&) { return GroupOk(VekReadCurveValues()); }),
    Row("ReadAllValues", Needs::Definitions, [](OperationContext&) { return GroupOk(VekReadAllValues()); }),
    Row("WriteAllValues", Needs::Definitions, [](OperationContext&) { return Ok(VekWriteAllValues()); })
        .LosesConnection(),
    // Parameter files.
    Row("UploadPrmFile", Needs::Definitions,
        [](OperationContext& c) { return Ok(VekUploadPrmFile(Api(PathText(UploadFile(c))), 0)); })
        .Prepare(PrepareUpload).AfterFailure(CheckUploadLeftWholeValues).LosesConnection(),
    Row("UploadPrmBuffer", Needs::Definitions,
        [](OperationContext& c) {
            std::ifstream in(UploadFile(c), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            return Ok(VekUploadPrmBuffer(text.data(), static_cast<uint32_t>(text.size()), 0));
        })
        .Prepare(PrepareUpload).AfterFailure(CheckUploadLeftWholeValues).LosesConnection(),
    Row("DownloadPrmFile", Needs::Definitions,
        [](OperationContext& c) { return Ok(VekDownloadPrmFile(Api(PathText(DownloadFile(c))))); })
        .Tolerates(ValueTextTolerates),
    Row("DownloadPrmBuffer", Needs::Definitions,
        [](OperationContext&) {
            std::vector<char> text(kPrmTextCapacity);
            int32_t size = static_cast<int32_t>(text.size());
            return Ok(VekDownloadPrmBuffer(text.data(), &size));
        })
        .Tolerates(ValueTextTolerates),
    Row("DownloadRawPrmFile", Needs::Definitions,
        [](OperationContext& c) { return Ok(VekDownloadRawPrmFile(Api(PathText(DownloadFile(c))), 1)); })
        .Tolerates(ValueTextTolerates),
    // Firmware: the governor restarts, and is connected again, on the way.
    Row("EraseFirmware", Needs::Connection, [](OperationContext&) { return Ok(VekEraseFirmware()); })
        .LosesConnection().Tolerates(FirmwareTolerates),
    Row("UploadFirmwareFromBuffer", Needs::Connection,
        [](OperationContext&) {
            const std::vector<uint8_t> image = FirmwareImage();
            return Ok(VekUploadFirmwareFromBuffer(image.data(), static_cast<uint32_t>(image.size())));
        })
        .LosesConnection().Tolerates(FirmwareTolerates),
    Row("UploadFirmwareFromFile", Needs::Connection,
        [](OperationContext& c) { return Ok(VekUploadFirmwareFromFile(Api(PathText(FirmwareFile(c))))); })
        .Profile("hw5").Prepare(WriteFirmwareFile).LosesConnection().Tolerates(FirmwareTolerates),
    // Service commands and pages.
    Row("Store", Needs::Connection, [](OperationContext&) { return Ok(VekStore()); }),
    Row("Reset", Needs::Definitions, [](OperationContext&) { return Ok(VekReset()); })
        .LosesConnection().Tolerates(ReconnectionTolerates),
    Row("StartClickTest", Needs::Connection, [](OperationContext&) { return Ok(VekStartClickTest()); })
        .RefusalByStatusOnly(),
    Row("StopClickTest", Needs::Connection, [](OperationContext&) { return Ok(VekStopClickTest()); })
        .RefusalByStatusOnly(),
    Row("ActuatorAutoAdjust", Needs::Definitions, [](OperationContext&) { return Ok(VekActuatorAutoAdjust()); })
        .Profile("hw5").RefusalByStatusOnly(),
    Row("ClearOperatingData", Needs::Connection, [](OperationContext&) { return Ok(VekClearOperatingData()); }),
    Row("GetActiveParamPage", Needs::Connection, [](OperationContext&) { return Ok(VekGetActiveParamPage(&activePage)); })
        .Prepare([](OperationContext&) { activePage = kNoPage; }).AfterFailure(CheckPageNotWritten),
    Row("ActivateParamPage", Needs::Connection,
        [](OperationContext&) { return Ok(VekActivateParamPage(kPageToActivate)); }),
    // Errors.
    Row("ReadActualErrors", Needs::Definitions, [](OperationContext&) { return Ok(VekReadActualErrors()); })
        .Prepare(SnapshotPending).AfterFailure(CheckPendingUnchanged),
    Row("ConfigureErrorMemoryArgs", Needs::Definitions,
        [](OperationContext&) {
            const int32_t ids[] = {kMeasurement, static_cast<int32_t>(kIdleSpeed)};
            return Ok(VekConfigureErrorMemoryArgs(2, ids));
        }),
    Row("ReadErrorMemory", Needs::Definitions, [](OperationContext&) { return Ok(VekReadErrorMemory()); }),
    Row("AcknowledgeErrorMemoryItem", Needs::ErrorEntries,
        [](OperationContext&) {
            const ErrorEntry* entry = VekGetErrorEntryByIndex(0);
            return entry && Ok(VekAcknowledgeErrorMemoryItem(entry->Id, entry->Count));
        }),
    Row("EraseErrorMemory", Needs::Definitions, [](OperationContext&) { return Ok(VekEraseErrorMemory()); }),
};

}  // namespace

const std::vector<Operation>& Operations() { return kOperations; }

void ResetLibraryState() {
    VekClearParDefs();
    for (vek::TimedListEntry& entry : vek::TimedLists().lists) entry = vek::TimedListEntry{};
    vek::TimedLists().lastStamp = 0;
    vek::TimedLists().stampWraps = 0;
    vek::PendingErrors().pending.clear();
    vek::ClearErrorEntries();
    vek::Core().device = VekStruct{};
    vek::Core().lastStatus = 0;
    vek::Core().directSetFlag = 1;
}

void Fulfil(Needs needs, OperationContext& context) {
    if (needs >= Needs::Connection && !context.host.IsOpen()) {
        ASSERT_EQ(VekInit(), 1);
    }
    if (needs >= Needs::Definitions) {
        VekClearParDefs();
        ASSERT_EQ(VekReadAllParDef(), 1);
    }
    if (needs >= Needs::TimedList) {
        const uint32_t ids[] = {kMeasurement};
        ASSERT_EQ(VekSetTimedList(0, 1, ids), 1);
    }
    if (needs >= Needs::ErrorEntries) {
        ASSERT_EQ(VekReadErrorMemory(), 1);
    }
}

}  // namespace vektest
