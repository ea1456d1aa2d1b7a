#include "support/NetworkLine.hpp"

#include "support/DeviceServer.hpp"
#include "support/TempDir.hpp"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace vektest {

namespace {

#if defined(VEKGOV_PATH)
constexpr const char* kVekgov = VEKGOV_PATH;
#else
constexpr const char* kVekgov = "";
#endif
// vekgov writes this line to its log each time the host's bytes come at another rate.
constexpr const char* kRateLine = "- host rate ";
constexpr int kStartAttempts = 100;
constexpr auto kStartPause = std::chrono::milliseconds(50);

}  // namespace

// vekgov on a pseudo-terminal linked into the scratch folder, ser2net in front of it.
struct NetworkLine::Server {
    TempDir dir;
    std::string link;
    std::string governorLog;
    pid_t governor = -1;
    std::unique_ptr<DeviceServer> deviceServer;

    ~Server() {
        deviceServer.reset();
        EndProgram(governor);
    }
};

NetworkLine::NetworkLine() : server_(std::make_unique<Server>()) {
    if (!*kVekgov) {
        unavailable_ = "no vekgov in this build";
        return;
    }
    server_->link = (server_->dir / "governor").string();
    server_->governorLog = (server_->dir / "governor.log").string();
    server_->governor = SpawnProgram({kVekgov, "--link", server_->link, "--log", server_->governorLog});
    for (int i = 0; i < kStartAttempts && !std::filesystem::exists(server_->link); ++i) {
        std::this_thread::sleep_for(kStartPause);
    }
    if (!std::filesystem::exists(server_->link)) {
        unavailable_ = "vekgov did not start";
        return;
    }
    server_->deviceServer = std::make_unique<DeviceServer>(server_->link);
    if (!server_->deviceServer->Unavailable().empty()) {
        unavailable_ = "no device server: " + server_->deviceServer->Unavailable();
        return;
    }
    const std::string& name = server_->deviceServer->PortName();
    portName_.assign(name.begin(), name.end());
}

NetworkLine::~NetworkLine() = default;

bool NetworkLine::StartServer() { return server_->deviceServer && server_->deviceServer->Start(); }

bool NetworkLine::StopServer() { return server_->deviceServer && server_->deviceServer->Stop(); }

std::vector<unsigned> NetworkLine::RatesHeard() const {
    std::vector<unsigned> rates;
    std::ifstream log(server_->governorLog);
    for (std::string line; std::getline(log, line);) {
        if (line.rfind(kRateLine, 0) == 0) rates.push_back(static_cast<unsigned>(std::stoul(line.substr(std::string(kRateLine).size()))));
    }
    return rates;
}

}  // namespace vektest
