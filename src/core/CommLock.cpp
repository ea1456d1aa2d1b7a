#include "core/CommLock.hpp"

#include "platform/Platform.hpp"

namespace vek {

CommLock::CommLock() { platform::LockCommMutex(); }
CommLock::~CommLock() { platform::UnlockCommMutex(); }

}  // namespace vek
