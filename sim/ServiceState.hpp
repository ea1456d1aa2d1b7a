// What the service commands change in the governor: its stored parameter
// values, the click test, the actuator auto-adjustment and the operating
// data; and the parameter pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

namespace vekgov {

struct GovernorModel;

struct ServiceArea {
    // The settable values (all but measurements) written before the last
    // store; what the governor works with again after a restart.
    std::map<uint32_t, uint16_t> storedValues;
    size_t stores = 0;
    bool clickTestRunning = false;
    size_t clickTestStarts = 0;
    size_t autoAdjustStarts = 0;
    size_t operatingDataClears = 0;
    size_t resets = 0;
};

// Governors with the parameter pages feature keep this many pages.
constexpr uint16_t kParameterPageCount = 2;

struct ParameterPagesArea {
    uint16_t active = 0;
    size_t activations = 0;
};

void StoreValues(GovernorModel& model);
// Unsaved changes of settable values are lost; measurements stay.
void ReloadStoredValues(GovernorModel& model);

}  // namespace vekgov
