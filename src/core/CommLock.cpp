#include "core/CommLock.hpp"

#include "platform/Platform.hpp"

namespace vek {

CommLock::CommLock() { platform::LockProcessMutex(platform::ProcessMutex::Comm); }
CommLock::~CommLock() { platform::UnlockProcessMutex(platform::ProcessMutex::Comm); }

}  // namespace vek
