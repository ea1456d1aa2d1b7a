#include "Access.hpp"

#include "../ToolError.hpp"

#include <httplib.h>

#include <arpa/inet.h>

#include <cstdlib>
#include <optional>
#include <random>

namespace vektool::ui {

namespace {

constexpr int kUnauthorized = 401;
constexpr int kForbidden = 403;
constexpr int kMethodNotAllowed = 405;
constexpr int kHighestPort = 65535;
constexpr std::size_t kTokenBytes = 16;
constexpr const char* kLocalhost = "localhost";
constexpr const char* kBearer = "Bearer ";

bool IsChanging(const std::string& method) { return method == "POST" || method == "PUT" || method == "DELETE"; }
bool IsReading(const std::string& method) { return method == "GET" || method == "HEAD"; }

bool IsIpAddress(const std::string& host) {
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

bool IsWildcard(const std::string& host) { return host == "0.0.0.0" || host == "::"; }

// Compares without stopping at the first difference.
bool SameSecret(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

std::string CookieValue(const std::string& header, const std::string& name) {
    std::size_t at = 0;
    while (at < header.size()) {
        const std::size_t end = std::min(header.find(';', at), header.size());
        std::string pair = header.substr(at, end - at);
        pair.erase(0, pair.find_first_not_of(' '));
        if (pair.rfind(name + "=", 0) == 0) return pair.substr(name.size() + 1);
        at = end + 1;
    }
    return "";
}

}  // namespace

ListenAddress ParseListenAddress(const std::string& text) {
    ListenAddress address{text, kDefaultConsolePort};
    std::optional<std::string> port;
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find(']');
        const std::string rest = close == std::string::npos ? "" : text.substr(close + 1);
        if (close == std::string::npos || (!rest.empty() && rest[0] != ':')) {
            throw UsageError("invalid --listen '" + text + "'");
        }
        address.host = text.substr(1, close - 1);
        if (!rest.empty()) port = rest.substr(1);
    } else if (text.find(':') == text.rfind(':') && text.find(':') != std::string::npos) {
        // One colon: HOST:PORT; more: an IPv6 address without a port.
        address.host = text.substr(0, text.find(':'));
        port = text.substr(text.find(':') + 1);
    }
    if (address.host.empty()) address.host = "127.0.0.1";
    if (port) {
        char* end = nullptr;
        const long value = std::strtol(port->c_str(), &end, 10);
        if (port->empty() || *end != 0 || value < 0 || value > kHighestPort) {
            throw UsageError("invalid port in --listen '" + text + "'");
        }
        address.port = static_cast<int>(value);
    }
    if (address.host != kLocalhost && !IsIpAddress(address.host)) {
        throw UsageError("--listen needs an IP address (or localhost), not '" + address.host + "'");
    }
    return address;
}

bool IsLoopback(const std::string& host) {
    return host == kLocalhost || host == "::1" || host.rfind("127.", 0) == 0;
}

std::string HostPort(const std::string& host, int port) {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string NewToken() {
    std::random_device random;
    static const char kDigits[] = "0123456789abcdef";
    std::string token;
    for (std::size_t i = 0; i < kTokenBytes; ++i) {
        const unsigned byte = random() & 0xFF;
        token += kDigits[byte >> 4];
        token += kDigits[byte & 0xF];
    }
    return token;
}

Access::Access(std::string token, std::string listenHost, int port)
    : token_(std::move(token)),
      listenHost_(std::move(listenHost)),
      port_(port),
      cookieName_("vek_token_" + std::to_string(port)) {}

bool Access::HostAllowed(const std::string& host) const {
    if (host == HostPort(kLocalhost, port_) || host == HostPort(listenHost_, port_)) return true;
    // Listening on every address: any address literal, never a name.
    if (!IsWildcard(listenHost_)) return false;
    const std::size_t colon = host.rfind(':');
    if (colon == std::string::npos || host.substr(colon + 1) != std::to_string(port_)) return false;
    std::string address = host.substr(0, colon);
    if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    }
    return IsIpAddress(address);
}

bool Access::TokenInQuery(const httplib::Request& request) const {
    return request.method == "GET" && request.path == "/" && SameSecret(request.get_param_value("token"), token_);
}

bool Access::Presented(const httplib::Request& request) const {
    return request.has_param("token") || request.has_header("Authorization") ||
           !CookieValue(request.get_header_value("Cookie"), cookieName_).empty();
}

bool Access::Authorized(const httplib::Request& request) const {
    if (TokenInQuery(request)) return true;
    const std::string authorization = request.get_header_value("Authorization");
    if (authorization.rfind(kBearer, 0) == 0 && SameSecret(authorization.substr(std::string(kBearer).size()), token_)) {
        return true;
    }
    return SameSecret(CookieValue(request.get_header_value("Cookie"), cookieName_), token_);
}

Verdict Access::Check(const httplib::Request& request) const {
    const std::string host = request.get_header_value("Host");
    if (!HostAllowed(host)) return {kForbidden, "unexpected Host '" + host + "'"};
    if (!IsReading(request.method) && !IsChanging(request.method)) {
        return {kMethodNotAllowed, "method " + request.method + " is not served"};
    }
    if (!Authorized(request)) {
        return Presented(request) ? Verdict{kForbidden, "wrong session token"}
                                  : Verdict{kUnauthorized, "the session token is missing"};
    }
    if (IsChanging(request.method) && request.get_header_value("Origin") != "http://" + host) {
        return {kForbidden, "changes are taken only from the console's own page (Origin http://" + host + ")"};
    }
    return {};
}

std::string Access::Cookie() const {
    return cookieName_ + "=" + token_ + "; Path=/; HttpOnly; SameSite=Strict";
}

}  // namespace vektool::ui
