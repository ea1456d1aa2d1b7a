// vekgov: the simulated governor as a program. Serves a profile on a new
// pseudo-terminal, printing its path first, or on a serial device, until
// interrupted.
#include "DefinitionBlocks.hpp"
#include "Governor.hpp"
#include "Profiles.hpp"
#include "PtyServer.hpp"
#include "VekgovOptions.hpp"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace {

constexpr int kUsageError = 2;
constexpr int kRunError = 1;

vekgov::PtyServer* running = nullptr;

extern "C" void StopOnSignal(int) {
    if (running) running->Stop();
}

int Fail(const std::string& message, int code) {
    std::cerr << "vekgov: " << message << "\n";
    return code;
}

bool ApplyDefinitionFile(vekgov::DeviceProfile& profile, const std::string& path, std::string& error) {
    std::optional<vekgov::DefinitionFile> file = vekgov::LoadDefinitionFile(path, error);
    if (!file) return false;
    if (file->blockBytes) profile.definitionBlockBytes = *file->blockBytes;
    return vekgov::AttachDefinitions(profile, std::move(file->definitions), error);
}

// Removes the link to the pseudo-terminal when the program ends.
class LinkGuard {
public:
    LinkGuard(const std::string& link, const std::string& target) : link_(link) {
        if (link_.empty()) return;
        unlink(link_.c_str());
        made_ = symlink(target.c_str(), link_.c_str()) == 0;
    }
    ~LinkGuard() {
        if (made_) unlink(link_.c_str());
    }
    bool Failed() const { return !link_.empty() && !made_; }

private:
    std::string link_;
    bool made_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::optional<vekgov::VekgovOptions> options =
        vekgov::ParseVekgovOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) return Fail(error + "\n" + vekgov::VekgovUsage(), kUsageError);
    if (options->help) {
        std::cout << vekgov::VekgovUsage();
        return 0;
    }

    vekgov::DeviceProfile profile = *vekgov::FindProfile(options->profile);
    if (!options->definitionFile.empty() && !ApplyDefinitionFile(profile, options->definitionFile, error)) {
        return Fail(options->definitionFile + ": " + error, kUsageError);
    }
    vekgov::ApplyProfileSettings(*options, profile);
    vekgov::Governor governor(std::move(profile));
    // On a line, a restart keeps the governor silent for its boot time in real time.
    governor.Model().clock.FollowRealTime();
    vekgov::AddFaults(options->faults, governor.Engine().Faults());
    vekgov::StartLiveOperation(governor.Model(), {options->seed, options->still, true});

    std::unique_ptr<vekgov::PtyServer> server =
        options->device.empty() ? vekgov::PtyServer::OpenPseudoTerminal(governor.Engine(), error)
                                : vekgov::PtyServer::OpenDevice(governor.Engine(), options->device, error);
    if (!server) return Fail(error, kRunError);
    server->SetPacing(vekgov::Pacing{options->pace, options->paceRate});

    std::ofstream logFile;
    if (options->logFile.empty()) {
        governor.Engine().Log().SetEnabled(false);  // nobody reads it, and a long run must not pile it up
    } else if (options->logFile == "-") {
        server->SetLogSink([](const std::string& line) { std::cout << line << std::endl; });
    } else {
        logFile.open(options->logFile, std::ios::app);
        if (!logFile) return Fail("cannot write " + options->logFile, kRunError);
        server->SetLogSink([&logFile](const std::string& line) { logFile << line << std::endl; });
    }

    const LinkGuard link(options->link, server->DevicePath());
    if (link.Failed()) return Fail("cannot make the link " + options->link, kRunError);

    running = server.get();
    std::signal(SIGINT, StopOnSignal);
    std::signal(SIGTERM, StopOnSignal);
    std::signal(SIGHUP, StopOnSignal);
    std::cout << server->DevicePath() << std::endl;

    const bool served = server->Run(error);
    running = nullptr;
    return served ? 0 : Fail(error, kRunError);
}
