// The simulated governor's state. Each area of the device is its own struct
// and member, so that a new area (definitions, values, timers, errors, error
// memory, firmware, pages) is added as a member next to the others, in a
// header of its own, without touching the rest.
#pragma once

#include "ActualErrors.hpp"
#include "DeviceProfile.hpp"
#include "ErrorMemory.hpp"
#include "Firmware.hpp"
#include "LiveOperation.hpp"
#include "ModelClock.hpp"
#include "Restart.hpp"
#include "ServiceState.hpp"
#include "TimedLists.hpp"
#include "Values.hpp"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace vekgov {

// The state of the conversation with the host; the wake-up starts it afresh.
struct LinkState {
    uint8_t rateCode = dev::StartRateCode;
    bool rateAnnounced = false;  // 0x51 0x7C seen, a rate code may follow
    bool timeoutCheck = false;
    std::vector<uint16_t> enabledFeatures;
    size_t nextDefinition = 0;  // the first record of the next definition block

    struct Identifier {
        uint16_t value = 0;
        bool accepted = false;  // the sum word matched
    };
    std::optional<Identifier> lastIdentifier;

    uint32_t BaudRate() const { return dev::BaudRates[rateCode]; }
    bool FeatureEnabled(uint16_t code) const;
};

struct GovernorModel {
    explicit GovernorModel(DeviceProfile deviceProfile)
        : profile(std::move(deviceProfile)), numbers(IndexNumbers(profile)) {}

    // The host woke the governor up (port opened at the start rate); its
    // timed lists and unfinished value transfers are forgotten with the
    // conversation.
    void WakeUp() {
        link = LinkState{};
        timedLists = TimedListsArea{};
        values.ForgetTransfers();
    }
    bool AcceptsFeature(uint16_t code) const;

    DeviceProfile profile;
    NumberIndex numbers;  // of profile's definitions
    LinkState link;
    // Requests the governor could not make sense of since it was built:
    // unknown command bytes, bytes dropped on the way (wrong rate,
    // restarting), value writes whose checksum or block is damaged. A
    // wake-up does not reset it.
    size_t framingErrors = 0;
    // Set while the actual errors changed and the host has not read them:
    // every block checksum then carries the flag bit.
    bool errorsChangedUnseen = false;
    ValueMemory values;
    ModelClock clock;
    TimedListsArea timedLists;
    ActualErrorsArea actualErrors;
    ErrorMemoryArea errorMemory;
    LiveOperationArea live;
    FirmwareArea firmware;
    RestartArea restart;
    ServiceArea service;
    ParameterPagesArea pages;
};

}  // namespace vekgov
