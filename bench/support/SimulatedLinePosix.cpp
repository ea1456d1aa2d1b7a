#include "SimulatedLine.hpp"

#include "VekLib.h"

#include <cstdio>
#include <sys/prctl.h>

namespace vekbench {

namespace {

// The simulated line's byte times are sleeps: without the kernel's default
// timer slack (50 us) they end when the byte would be through.
constexpr unsigned long kTimerSlackNs = 1;

}  // namespace

SimulatedLine::SimulatedLine(vekgov::DeviceProfile profile, bool paced) : governor_(std::move(profile)) {
    // A restart keeps the governor silent for its boot time in real time.
    governor_.Model().clock.FollowRealTime();
    governor_.Engine().Log().SetEnabled(false);
    std::string error;
    pty_ = vekgov::PtyServer::OpenPseudoTerminal(governor_.Engine(), error);
    if (!pty_) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", error.c_str());
        return;
    }
    // A measuring line: its bytes leave when due, not when the simulator's
    // thread happens to wake up.
    pty_->SetPacing(vekgov::Pacing{paced, 0, true});
    thread_ = std::thread([this] {
        prctl(PR_SET_TIMERSLACK, kTimerSlackNs);
        std::string ignored;
        pty_->Run(ignored);
    });
}

SimulatedLine::~SimulatedLine() {
    if (!thread_.joinable()) return;
    pty_->Stop();
    thread_.join();
}

const std::string& SimulatedLine::DevicePath() const { return pty_ ? pty_->DevicePath() : noPath_; }

bool ConfigurePort(const std::string& path, uint32_t baud) {
    const std::u16string port(path.begin(), path.end());
    return VekConfigureSerialStream(reinterpret_cast<const VekChar*>(port.c_str()), baud) == 1;
}

}  // namespace vekbench
