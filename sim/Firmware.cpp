#include "Firmware.hpp"

#include "DeviceBlocks.hpp"
#include "GovernorModel.hpp"
#include "Restart.hpp"

#include <utility>

namespace vekgov {

namespace {

constexpr uint16_t kBootLoaderBootstrapWord = 0;  // what the boot loader tells at connection

void EnterBootLoader(GovernorModel& model) {
    FirmwareArea& firmware = model.firmware;
    if (!firmware.applicationBootstrapWord) firmware.applicationBootstrapWord = model.profile.bootstrapWord;
    model.profile.bootstrapWord = kBootLoaderBootstrapWord;
}

void LeaveBootLoader(GovernorModel& model) {
    FirmwareArea& firmware = model.firmware;
    if (!firmware.applicationBootstrapWord) return;
    model.profile.bootstrapWord = *firmware.applicationBootstrapWord;
    firmware.applicationBootstrapWord.reset();
}

// The new firmware is kept, and the governor restarts to run it.
uint16_t Install(GovernorModel& model, Bytes image) {
    FirmwareArea& firmware = model.firmware;
    firmware.image = std::move(image);
    firmware.incoming.clear();
    firmware.erased = false;
    firmware.restartedToErase = false;
    ++firmware.installedImages;
    LeaveBootLoader(model);
    RestartGovernor(model);
    return dev::StatusOk;
}

}  // namespace

// Only a checksum block that carries the whole BootstrapWord can tell.
bool InBootLoader(const GovernorModel& model) {
    constexpr size_t kWordBytes = 2;
    return model.profile.checksumBlockLength >= checksum_block::BootstrapAt + kWordBytes &&
           model.profile.bootstrapWord == kBootLoaderBootstrapWord;
}

uint16_t ByteSum(const uint8_t* data, size_t n) {
    uint16_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum = static_cast<uint16_t>(sum + data[i]);
    return sum;
}

uint16_t RequestErase(GovernorModel& model, bool extended) {
    FirmwareArea& firmware = model.firmware;
    const FirmwareSetup& setup = model.profile.firmware;
    ++firmware.eraseRequests;
    if (setup.eraseRestarts && !firmware.restartedToErase && !InBootLoader(model)) {
        firmware.restartedToErase = true;
        if (setup.restartIntoBootLoader) EnterBootLoader(model);
        RestartGovernor(model);
        return dev::StatusRestarting;
    }
    if (extended && firmware.busyAnswersGiven < setup.eraseBusyAnswers) {
        ++firmware.busyAnswersGiven;
        return firmware_status::Busy;
    }
    firmware.busyAnswersGiven = 0;
    firmware.erased = true;
    firmware.image.clear();
    firmware.incoming.clear();
    return dev::StatusOk;
}

uint16_t AcceptBlock(GovernorModel& model, uint32_t offset, const uint8_t* data, size_t n) {
    FirmwareArea& firmware = model.firmware;
    const FirmwareSetup& setup = model.profile.firmware;
    if (!firmware.erased) return firmware_status::NotErased;
    const bool follows = offset == firmware.incoming.size();
    if (!follows || n == 0 || n > setup.blockSize || firmware.incoming.size() + n > setup.capacity) {
        return firmware_status::BlockRefused;
    }
    firmware.incoming.insert(firmware.incoming.end(), data, data + n);
    return dev::StatusOk;
}

uint16_t TerminateUpload(GovernorModel& model, uint32_t size, uint16_t sum) {
    FirmwareArea& firmware = model.firmware;
    if (!firmware.erased) return firmware_status::NotErased;
    const Bytes& incoming = firmware.incoming;
    if (size != incoming.size() || sum != ByteSum(incoming.data(), incoming.size())) {
        return firmware_status::ImageRefused;
    }
    return Install(model, std::move(firmware.incoming));
}

uint16_t AcceptImage(GovernorModel& model, const uint8_t* data, size_t n, bool sumMatches) {
    if (!model.firmware.erased) return firmware_status::NotErased;
    if (!sumMatches || n > model.profile.firmware.capacity) return firmware_status::ImageRefused;
    return Install(model, Bytes(data, data + n));
}

}  // namespace vekgov
