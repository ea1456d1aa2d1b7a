#include "Governor.hpp"

#include "DeviceRecord.hpp"
#include "handlers/Handlers.hpp"

#include <utility>

namespace vekgov {

Governor::Governor(DeviceProfile profile) : model_(std::move(profile)), engine_(model_) {
    RegisterAllCommands(engine_);
    WriteDeviceRecord(model_);
}

}  // namespace vekgov
