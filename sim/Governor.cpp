#include "Governor.hpp"

#include "handlers/Handlers.hpp"

#include <utility>

namespace vekgov {

Governor::Governor(DeviceProfile profile) : model_(std::move(profile)), engine_(model_) {
    RegisterAllCommands(engine_);
}

}  // namespace vekgov
