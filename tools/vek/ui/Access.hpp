// Who may use the console: a page or script that holds the session token,
// asks by the console's own address (not a name rebound to it), and, to
// change anything, posts from the console's own page. A web page elsewhere
// in the browser reaches nothing.
#pragma once

#include <string>

namespace httplib {
struct Request;
}

namespace vektool::ui {

struct ListenAddress {
    std::string host;
    int port = 0;  // 0: any free port
};

constexpr int kDefaultConsolePort = 8642;

// "HOST:PORT", "[V6]:PORT", ":PORT" (the loopback address) or "HOST"; throws
// ToolError.
ListenAddress ParseListenAddress(const std::string& text);
bool IsLoopback(const std::string& host);
// "HOST:PORT", with brackets around an IPv6 address.
std::string HostPort(const std::string& host, int port);

// A new random token of 32 hexadecimal digits.
std::string NewToken();

struct Verdict {
    int status = 0;  // 0: the request may go on
    std::string reason;
};

class Access {
public:
    Access(std::string token, std::string listenHost, int port);

    Verdict Check(const httplib::Request& request) const;
    // Whether the request brought the token in its query (the first load).
    bool TokenInQuery(const httplib::Request& request) const;
    // The Set-Cookie value that keeps the token for the later requests.
    std::string Cookie() const;
    const std::string& Token() const { return token_; }

private:
    bool HostAllowed(const std::string& host) const;
    bool Authorized(const httplib::Request& request) const;
    bool Presented(const httplib::Request& request) const;

    std::string token_;
    std::string listenHost_;
    int port_;
    std::string cookieName_;
};

}  // namespace vektool::ui
