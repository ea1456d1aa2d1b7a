// vek ui [--listen HOST:PORT] [--no-browser]: the service console. Serves
// the page and its API until Ctrl-C (or SIGTERM), drives the governor from
// one thread and prints the page's address with its session token.
#include "ConsoleServer.hpp"
#include "Governor.hpp"

#include "../Command.hpp"
#include "../Session.hpp"
#include "../TextOut.hpp"
#include "../ToolError.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace vektool {

namespace {

struct UiOptions {
    std::string listen = "127.0.0.1:" + std::to_string(ui::kDefaultConsolePort);
    bool noBrowser = false;
};

// Ctrl-C and SIGTERM are awaited by the main thread; every thread started
// later inherits the blocked set.
sigset_t BlockStopSignals() {
    // A shell starts background jobs with SIGINT ignored, and an ignored
    // signal never reaches sigwait.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
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

int RunUi(Session& session, const UiOptions& options) {
    const ui::ListenAddress listen = ui::ParseListenAddress(options.listen);
    const sigset_t stopSignals = BlockStopSignals();
    if (!ui::IsLoopback(listen.host)) {
        std::fprintf(stderr,
                     "vek: warning: listening on %s: anyone who can reach this address and has the token can "
                     "change the governor\n",
                     listen.host.c_str());
    }
    ui::LogTail tail(session.Log().Path(), session.Log().IsPrivate());
    ui::TrendHub trend;
    ui::LongOperations operations;
    ui::Governor governor(session, tail, trend, operations);
    ui::ConsoleParts parts{governor, tail, trend, operations};
    ui::ConsoleServer server(listen, parts);

    governor.Start();
    server.Start();
    std::printf("Service console for the %s: %s (Ctrl-C stops it)\n", session.Describe().c_str(),
                server.Url().c_str());
    std::fflush(stdout);
    if (!options.noBrowser) OpenBrowser(server.Url());

    int signal = 0;
    sigwait(&stopSignals, &signal);
    trend.CloseAll();
    governor.Stop();
    server.Stop();
    return 0;
}

}  // namespace

void AddUi(CommandSet& commands) {
    auto options = std::make_shared<UiOptions>();
    CLI::App& command = commands.Add(
        "ui", "serve the service console in the browser until Ctrl-C",
        "Prints the page's address with its session token; docs/console.md describes the page, its JSON API and "
        "its security rules.",
        [options](Session& session) { return RunUi(session, *options); });
    command.add_option("--listen", options->listen, "address to serve on (port 0: a free one)")
        ->type_name("HOST:PORT")
        ->capture_default_str();
    command.add_flag("--no-browser", options->noBrowser, "only print the address, open no browser");
}

}  // namespace vektool
