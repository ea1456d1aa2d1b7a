// Synchronisation at the start rate: the governor answers with a word that
// tells its kind.
#include "connection/Connection.hpp"

#include "core/State.hpp"
#include "link/Commands.hpp"
#include "link/Link.hpp"

namespace vek {

namespace {

struct DeviceKindReply {
    uint16_t reply;
    int32_t kind;
};
constexpr DeviceKindReply kDeviceKinds[] = {{0xAA55, 1}, {0xAC55, 2}, {0xAC59, 3}};
constexpr int32_t kUnknownDeviceKind = 0;

int32_t DeviceKindOf(uint16_t reply) {
    for (const DeviceKindReply& entry : kDeviceKinds) {
        if (entry.reply == reply) return entry.kind;
    }
    return kUnknownDeviceKind;
}

}  // namespace

bool Synchronize() {
    // Only the reply counts: a governor that answers has heard us.
    SendFrame(Frame().Byte(cmd::Synchronize).Word(cmd::SynchronizeWord));
    uint16_t reply = 0;
    if (!ReadWord(reply)) return false;
    Device().DeviceKind = DeviceKindOf(reply);  // an unknown word still connects
    return true;
}

}  // namespace vek
