#include "DeviceRecord.hpp"

#include "EngineNumbers.hpp"
#include "GovernorModel.hpp"
#include "Values.hpp"

namespace vekgov {

namespace {

constexpr uint32_t kThousands = 1000;
constexpr uint32_t kHundreds = 100;
constexpr uint32_t kTens = 10;
constexpr uint32_t kTenThousands = 10000;
constexpr uint64_t kMsPerHour = 3600000;
constexpr uint64_t kMsPerSecond = 1000;

}  // namespace

uint32_t CombinedSoftwareVersion(const DeviceProfile& profile) {
    const uint32_t word = profile.softwareVersion;
    const uint32_t extension = profile.softwareExtension;
    const uint32_t middle = (word / kHundreds) % kTens + kTens * extension;
    return word / kThousands * (extension != 0 ? kTenThousands : kThousands) + middle * kHundreds +
           word % kHundreds;
}

void WriteCounters(GovernorModel& model, uint64_t atMs, uint32_t starts) {
    const uint64_t operatingMs = model.errorMemory.operatingSeconds * kMsPerSecond + atMs;
    WriteValue(model, engine_number::HourCounter, static_cast<uint16_t>(operatingMs / kMsPerHour));
    WriteValue(model, engine_number::StartCounter, static_cast<uint16_t>(kStartsBeforeSwitchOn + starts));
}

void WriteDeviceRecord(GovernorModel& model) {
    WriteValue(model, engine_number::SoftwareVersion,
               static_cast<uint16_t>(CombinedSoftwareVersion(model.profile)));
    WriteValue(model, engine_number::HardwareVersion, model.profile.hardwareVersion);
    WriteCounters(model, model.clock.NowMs(), 0);
}

}  // namespace vekgov
