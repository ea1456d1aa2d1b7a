#include "support/DeviceServer.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>

extern char** environ;

namespace vektest {

namespace {

constexpr const char* kSer2net = "/usr/sbin/ser2net";
constexpr int kStartAttempts = 100;
constexpr int kEndAttempts = 40;
constexpr auto kPause = std::chrono::milliseconds(50);

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// A port nobody listens on: the one the system gives a socket bound to port 0.
unsigned FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool Listening(unsigned port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(static_cast<uint16_t>(port));
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

// The governor's ser2net configuration with its port and device filled in.
std::string Ser2netConfig(unsigned port, const std::string& device) {
    std::ifstream in(VEK_SER2NET_CONFIG);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"@PORT@", std::to_string(port)},
                                      {"@DEVICE@", device}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size())) {
            text.replace(at, mark.size(), value);
        }
    }
    return text;
}

}  // namespace

pid_t SpawnProgram(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ) != 0) pid = -1;
    posix_spawnattr_destroy(&attributes);
    return pid;
}

void EndProgram(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < kEndAttempts && waitpid(pid, nullptr, WNOHANG) == 0; ++i) std::this_thread::sleep_for(kPause);
    if (waitpid(pid, nullptr, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

DeviceServer::DeviceServer(const std::string& devicePath) {
    if (access(kSer2net, X_OK) != 0) {
        unavailable_ = std::string(kSer2net) + " is not installed";
        return;
    }
    static std::atomic<int> made{0};
    port_ = FreePort();
    config_ = (std::filesystem::temp_directory_path() /
               ("vek_ser2net_" + std::to_string(getpid()) + "_" + std::to_string(made++) + ".yaml"))
                  .string();
    std::ofstream(config_) << Ser2netConfig(port_, devicePath);
    if (!Start()) {
        unavailable_ = "ser2net did not start";
        return;
    }
    portName_ = "rfc2217://127.0.0.1:" + std::to_string(port_);
}

DeviceServer::~DeviceServer() {
    Stop();
    if (!config_.empty()) std::remove(config_.c_str());
}

bool DeviceServer::Start() {
    // -n: in the foreground, so that its starter owns the process; -u: no UUCP locks.
    pid_ = SpawnProgram({kSer2net, "-n", "-u", "-c", config_});
    if (pid_ <= 0) return false;
    for (int i = 0; i < kStartAttempts; ++i) {
        if (Listening(port_)) return true;
        std::this_thread::sleep_for(kPause);
    }
    return false;
}

bool DeviceServer::Stop() {
    if (pid_ <= 0) return false;
    EndProgram(pid_);
    return true;
}

}  // namespace vektest
