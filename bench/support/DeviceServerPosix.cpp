#include "DeviceServer.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <thread>
#include <vector>

extern char** environ;

namespace vekbench {

namespace {

constexpr const char* kSer2net = "/usr/sbin/ser2net";
constexpr int kStartAttempts = 100;
constexpr auto kStartPause = std::chrono::milliseconds(50);
constexpr int kEndAttempts = 40;

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// A port nobody listens on: the one the system gives a socket bound to port 0.
uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// The governor's ser2net configuration with its port and device filled in.
std::string Ser2netConfig(unsigned port, const std::string& device) {
    std::ifstream in(VEK_BENCH_SOURCE_DIR "/../tests/ser2net/governor.yaml");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"@PORT@", std::to_string(port)},
                                      {"@DEVICE@", device}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size())) {
            text.replace(at, mark.size(), value);
        }
    }
    return text;
}

// Starts the program with the default signal handling, whatever this
// process blocks or ignores, so that it ends when asked to.
pid_t Spawn(const std::vector<std::string>& words) {
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

// Asks the program to end, and makes it end when it does not within a while.
void End(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < kEndAttempts && waitpid(pid, nullptr, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(kStartPause);
    }
    if (waitpid(pid, nullptr, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

bool Listening(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

}  // namespace

DeviceServer::DeviceServer(const std::string& devicePath) {
    if (access(kSer2net, X_OK) != 0) {
        unavailable_ = "ser2net is not installed";
        return;
    }
    const uint16_t port = FreePort();
    config_ = (std::filesystem::temp_directory_path() / ("vek_bench_ser2net_" + std::to_string(getpid()) + ".yaml"))
                  .string();
    std::ofstream(config_) << Ser2netConfig(port, devicePath);
    pid_ = Spawn({kSer2net, "-n", "-u", "-c", config_});
    if (pid_ <= 0) {
        unavailable_ = "ser2net did not start";
        return;
    }
    for (int i = 0; i < kStartAttempts && !Listening(port); ++i) std::this_thread::sleep_for(kStartPause);
    portName_ = "rfc2217://127.0.0.1:" + std::to_string(port);
}

DeviceServer::~DeviceServer() {
    End(pid_);
    if (!config_.empty()) std::remove(config_.c_str());
}

}  // namespace vekbench
