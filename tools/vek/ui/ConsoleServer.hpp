// The console's HTTP server: binds the listen address, checks every request
// against the access rules and serves the page and the API until stopped.
#pragma once

#include "Access.hpp"
#include "Routes.hpp"

#include <httplib.h>

#include <memory>
#include <thread>

namespace vektool::ui {

class ConsoleServer {
public:
    // Binds at once; throws ToolError when the address is taken.
    ConsoleServer(const ListenAddress& address, ConsoleParts& parts);
    ~ConsoleServer();
    ConsoleServer(const ConsoleServer&) = delete;
    ConsoleServer& operator=(const ConsoleServer&) = delete;

    int Port() const { return port_; }
    // http://HOST:PORT/?token=...
    std::string Url() const;

    void Start();
    void Stop();

private:
    httplib::Server server_;
    ListenAddress address_;
    int port_ = 0;
    std::unique_ptr<Access> access_;
    std::thread thread_;
};

}  // namespace vektool::ui
