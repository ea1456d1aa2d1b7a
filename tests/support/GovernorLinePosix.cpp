#include "support/GovernorLine.hpp"

#include "Governor.hpp"
#include "Profiles.hpp"
#include "PtyServer.hpp"

#include <thread>

namespace vektest {

struct GovernorLine::Server {
    vekgov::Governor governor{*vekgov::FindProfile("default")};
    std::unique_ptr<vekgov::PtyServer> pty;
    std::thread thread;
};

GovernorLine::GovernorLine(LineKind kind) : server_(std::make_unique<Server>()) {
    std::string error;
    server_->pty = vekgov::PtyServer::OpenPseudoTerminal(server_->governor.Engine(), error);
    if (!server_->pty) {
        unavailable_ = "no pseudo-terminal here: " + error;
        return;
    }
    if (kind == LineKind::CutSyncReply) {
        // The same fault as "--fault cut-short:1@0x01*all" of the Windows harness.
        server_->governor.Engine().Faults().OnCommand(vekgov::dev::Synchronize,
                                                      vekgov::InjectedFault(vekgov::Fault::CutShort, 1), SIZE_MAX);
    }
    const std::string& path = server_->pty->DevicePath();
    portName_.assign(path.begin(), path.end());
    server_->thread = std::thread([pty = server_->pty.get()] {
        std::string ignored;
        pty->Run(ignored);
    });
}

GovernorLine::~GovernorLine() {
    if (!server_->thread.joinable()) return;
    server_->pty->Stop();
    server_->thread.join();
}

}  // namespace vektest
