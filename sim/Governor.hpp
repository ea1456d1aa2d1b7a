// A complete simulated governor: its state and the engine that answers for
// it with every registered command.
#pragma once

#include "GovernorModel.hpp"
#include "ProtocolEngine.hpp"

namespace vekgov {

class Governor {
public:
    explicit Governor(DeviceProfile profile);
    Governor(const Governor&) = delete;
    Governor& operator=(const Governor&) = delete;

    GovernorModel& Model() { return model_; }
    ProtocolEngine& Engine() { return engine_; }

private:
    GovernorModel model_;
    ProtocolEngine engine_;
};

}  // namespace vekgov
