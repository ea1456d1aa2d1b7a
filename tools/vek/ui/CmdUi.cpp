// vek ui [--listen HOST:PORT] [--no-browser]: the service console. Serves
// the page and its API until Ctrl-C (or SIGTERM), drives the governor from
// one thread and prints the page's address with its session token.
#include "ConsoleServer.hpp"
#include "Governor.hpp"

#include "../Command.hpp"
#include "../Session.hpp"
#include "../TextOut.hpp"
#include "../ToolError.hpp"

#include "VekLib.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace vektool {

namespace {

struct UiOptions {
    ui::ListenAddress listen{"127.0.0.1", ui::kDefaultConsolePort};
    bool browser = true;
};

UiOptions ParseUiOptions(const Arguments& arguments) {
    UiOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--no-browser") {
            options.browser = false;
        } else if (arguments[i] == "--listen" && i + 1 < arguments.size()) {
            options.listen = ui::ParseListenAddress(arguments[++i]);
        } else {
            throw ToolError("ui: unknown argument '" + arguments[i] + "'");
        }
    }
    return options;
}

// The library logs into a file; without --log the console makes its own.
class ConsoleLog {
public:
    explicit ConsoleLog(const std::string& userFile) : path_(userFile), own_(userFile.empty()) {
        if (!own_) return;
        std::string name = "/tmp/vek-ui-XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd < 0) throw ToolError("cannot create a log file in /tmp");
        close(fd);
        path_ = name;
        VekSetLogFile(AsVekText(FromUtf8(path_)));
    }
    ~ConsoleLog() {
        if (!own_) return;
        VekSetLogFile(AsVekText(FromUtf8("")));
        std::remove(path_.c_str());
    }
    ConsoleLog(const ConsoleLog&) = delete;
    ConsoleLog& operator=(const ConsoleLog&) = delete;

    const std::string& Path() const { return path_; }
    bool Own() const { return own_; }

private:
    std::string path_;
    bool own_;
};

// Ctrl-C and SIGTERM are awaited by the main thread; every thread started
// later inherits the blocked set.
sigset_t BlockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);  // a page that went away
    return signals;
}

void OpenBrowser(const std::string& url) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return;
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(url.c_str()), nullptr};
    std::signal(SIGCHLD, SIG_IGN);  // nobody waits for the browser
    pid_t pid = 0;
    posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ);
}

}  // namespace

int RunUi(Session& session, const Arguments& arguments) {
    const UiOptions options = ParseUiOptions(arguments);
    const sigset_t stopSignals = BlockStopSignals();
    if (!ui::IsLoopback(options.listen.host)) {
        std::fprintf(stderr,
                     "vek: warning: listening on %s: anyone who can reach this address and has the token can "
                     "change the governor\n",
                     options.listen.host.c_str());
    }
    ConsoleLog log(session.Settings().logFile);
    ui::LogTail tail(log.Path(), log.Own());
    ui::TrendHub trend;
    ui::LongOperations operations;
    ui::Governor governor(session, tail, trend, operations);
    ui::ConsoleParts parts{governor, tail, trend, operations};
    ui::ConsoleServer server(options.listen, parts);

    governor.Start();
    server.Start();
    std::printf("Service console for the %s: %s (Ctrl-C stops it)\n", session.Describe().c_str(),
                server.Url().c_str());
    std::fflush(stdout);
    if (options.browser) OpenBrowser(server.Url());

    int signal = 0;
    sigwait(&stopSignals, &signal);
    trend.CloseAll();
    governor.Stop();
    server.Stop();
    return 0;
}

}  // namespace vektool
