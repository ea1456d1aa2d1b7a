// The service commands: store, reset, the click test or auto-adjustment,
// and clearing the operating data. The boot loader refuses all but reset.
#include "Firmware.hpp"
#include "Restart.hpp"
#include "ServiceState.hpp"

#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

constexpr size_t kBareCommandBytes = 1;
// Governors of this hardware generation store without answering.
constexpr uint16_t kSilentStoreHardwareMajor = 4;
constexpr uint16_t kHardwareMajorDivisor = 100;
constexpr uint8_t kClearOperatingDataArgument = 0;

size_t Store(const Request&, GovernorModel& model, Reply& reply) {
    if (InBootLoader(model)) {
        reply.Status(dev::StatusRefused);
        return kBareCommandBytes;
    }
    StoreValues(model);
    if (model.profile.hardwareVersion / kHardwareMajorDivisor != kSilentStoreHardwareMajor) {
        reply.Status(dev::StatusOk);
    }
    return kBareCommandBytes;
}

size_t Reset(const Request&, GovernorModel& model, Reply& reply) {
    reply.Status(dev::StatusRestarting);
    ++model.service.resets;
    RestartGovernor(model);
    return kBareCommandBytes;
}

// The click test on governors with a click test actuator; the
// auto-adjustment of the actuator on the others.
size_t ActuatorStart(const Request&, GovernorModel& model, Reply& reply) {
    ServiceArea& service = model.service;
    if (InBootLoader(model)) {
        reply.Status(dev::StatusRefused);
    } else if (model.profile.clickTestActuator) {
        service.clickTestRunning = true;
        ++service.clickTestStarts;
        reply.Status(dev::StatusOk);
    } else {
        ++service.autoAdjustStarts;
        reply.Status(dev::StatusOk);
    }
    return kBareCommandBytes;
}

size_t ClickTestStop(const Request&, GovernorModel& model, Reply& reply) {
    if (InBootLoader(model) || !model.profile.clickTestActuator) {
        reply.Status(dev::StatusRefused);
    } else {
        model.service.clickTestRunning = false;
        reply.Status(dev::StatusOk);
    }
    return kBareCommandBytes;
}

void ClearOperatingData(const uint8_t* args, size_t n, GovernorModel& model, Reply& reply) {
    const bool understood = n == 1 && args[0] == kClearOperatingDataArgument && !InBootLoader(model);
    if (understood) ++model.service.operatingDataClears;
    reply.Status(understood ? dev::StatusOk : dev::StatusRefused);
}

}  // namespace

void RegisterServiceCommands(ProtocolEngine& engine) {
    engine.Register(dev::Store, Store);
    engine.Register(dev::Reset, Reset);
    engine.Register(dev::ActuatorStart, ActuatorStart);
    engine.Register(dev::ClickTestStop, ClickTestStop);
    engine.RegisterExtended(dev::ExtClearOperatingData, ClearOperatingData);
}

}  // namespace vekgov
