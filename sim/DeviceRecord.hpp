// The measurements that repeat the device record: the software and hardware
// versions as the host reads them from the version and checksum blocks, and
// the hour and start counters that go on from the error memory's operating
// time and the starts before this switch-on.
#pragma once

#include <cstdint>

namespace vekgov {

struct GovernorModel;
struct DeviceProfile;

constexpr uint32_t kStartsBeforeSwitchOn = 2317;

// The software version as one number: the extension is the digit after the
// first one (software 5123 with extension 2 reads 52123).
uint32_t CombinedSoftwareVersion(const DeviceProfile& profile);

// The counters at the model time atMs.
void WriteCounters(GovernorModel& model, uint64_t atMs, uint32_t starts);
// The versions and the counters as at switch-on.
void WriteDeviceRecord(GovernorModel& model);

}  // namespace vekgov
