#include "support/NetworkLine.hpp"

#include "support/TempDir.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <thread>

extern char** environ;

namespace vektest {

namespace {

constexpr const char* kSer2net = "/usr/sbin/ser2net";
#if defined(VEKGOV_PATH)
constexpr const char* kVekgov = VEKGOV_PATH;
#else
constexpr const char* kVekgov = "";
#endif
// vekgov writes this line to its log each time the host's bytes come at another rate.
constexpr const char* kRateLine = "- host rate ";
constexpr int kStartAttempts = 100;
constexpr auto kStartPause = std::chrono::milliseconds(50);
constexpr int kEndAttempts = 40;

// A TCP port on the loopback address that nobody listens on right now.
unsigned FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
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

// The governor's ser2net configuration with its port and device filled in.
std::string Ser2netConfig(unsigned port, const std::string& device) {
    std::ifstream in(VEK_TEST_SOURCE_DIR "/tests/ser2net/governor.yaml");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"@PORT@", std::to_string(port)},
                                      {"@DEVICE@", device}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size())) {
            text.replace(at, mark.size(), value);
        }
    }
    return text;
}

bool Listening(unsigned port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

}  // namespace

// vekgov on a pseudo-terminal linked into the scratch folder, ser2net in front of it.
struct NetworkLine::Server {
    TempDir dir;
    std::string link;
    std::string governorLog;
    std::string config;
    unsigned port = 0;
    pid_t governor = -1;
    pid_t server = -1;

    ~Server() { End(governor); }
};

NetworkLine::NetworkLine() : server_(std::make_unique<Server>()) {
    if (access(kSer2net, X_OK) != 0) {
        unavailable_ = std::string("no device server: ") + kSer2net + " is not installed";
        return;
    }
    if (!*kVekgov) {
        unavailable_ = "no vekgov in this build";
        return;
    }
    server_->link = (server_->dir / "governor").string();
    server_->governorLog = (server_->dir / "governor.log").string();
    server_->governor = Spawn({kVekgov, "--link", server_->link, "--log", server_->governorLog});
    for (int i = 0; i < kStartAttempts && !std::filesystem::exists(server_->link); ++i) {
        std::this_thread::sleep_for(kStartPause);
    }
    if (!std::filesystem::exists(server_->link)) {
        unavailable_ = "vekgov did not start";
        return;
    }
    server_->port = FreeLoopbackPort();
    server_->config = (server_->dir / "ser2net.yaml").string();
    std::ofstream(server_->config) << Ser2netConfig(server_->port, server_->link);
    if (!StartServer()) {
        unavailable_ = "ser2net did not start";
        return;
    }
    const std::string name = "rfc2217://127.0.0.1:" + std::to_string(server_->port);
    portName_.assign(name.begin(), name.end());
}

NetworkLine::~NetworkLine() { StopServer(); }

bool NetworkLine::StartServer() {
    // -n: in the foreground, so that the test owns the process; -u: no UUCP locks.
    server_->server = Spawn({kSer2net, "-n", "-u", "-c", server_->config});
    if (server_->server <= 0) return false;
    for (int i = 0; i < kStartAttempts; ++i) {
        if (Listening(server_->port)) return true;
        std::this_thread::sleep_for(kStartPause);
    }
    return false;
}

bool NetworkLine::StopServer() {
    if (server_->server <= 0) return false;
    End(server_->server);
    return true;
}

std::vector<unsigned> NetworkLine::RatesHeard() const {
    std::vector<unsigned> rates;
    std::ifstream log(server_->governorLog);
    for (std::string line; std::getline(log, line);) {
        if (line.rfind(kRateLine, 0) == 0) rates.push_back(static_cast<unsigned>(std::stoul(line.substr(std::string(kRateLine).size()))));
    }
    return rates;
}

}  // namespace vektest
