// TCP client calls on Windows: Winsock non-blocking sockets waited on with select.
#include "transport/Socket.hpp"

#include "platform/Platform.hpp"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>

namespace vek::net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

SOCKET Native(SocketHandle handle) { return static_cast<SOCKET>(handle); }

// Winsock is started once for the life of the process, as the first
// connection needs it.
bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(kWinsockVersion, &data) == 0;
    }();
    return started;
}

timeval TimeLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    const long long micros = left > 0 ? left : 0;
    return timeval{static_cast<long>(micros / 1000000), static_cast<long>(micros % 1000000)};
}

// Waits until the socket can be written (connecting or sending) or read;
// select's result.
int WaitFor(SOCKET s, bool forWriting, Clock::time_point deadline) {
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval left = TimeLeft(deadline);
    return select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr, &failed, &left);
}

SOCKET ConnectTo(const addrinfo& address, Clock::time_point deadline, int& error) {
    const SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
        error = WSAGetLastError();
        return INVALID_SOCKET;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            const int ready = WaitFor(s, true, deadline);
            int length = sizeof error;
            if (ready <= 0) {
                error = ready == 0 ? WSAETIMEDOUT : WSAGetLastError();
            } else if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) {
                error = WSAGetLastError();
            }
        }
        if (error != 0) {
            closesocket(s);
            return INVALID_SOCKET;
        }
    }
    // Requests are a few bytes each and wait for their reply: send them at once.
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return s;
}

}  // namespace

bool Connect(const std::string& host, uint16_t port, int32_t timeoutMs, SocketHandle& handle, Text& reason) {
    handle = kNoSocket;
    if (!StartWinsock()) {
        reason = platform::SystemErrorText(WSAGetLastError());
        return false;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* addresses = nullptr;
    const int resolved = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
    if (resolved != 0) {
        reason = platform::SystemErrorText(resolved);
        return false;
    }
    int error = 0;
    for (const addrinfo* address = addresses; address && handle == kNoSocket; address = address->ai_next) {
        const SOCKET s = ConnectTo(*address, deadline, error);
        if (s != INVALID_SOCKET) handle = static_cast<SocketHandle>(s);
    }
    freeaddrinfo(addresses);
    if (handle == kNoSocket) reason = platform::SystemErrorText(error);
    return handle != kNoSocket;
}

bool SendAll(SocketHandle handle, const uint8_t* data, std::size_t count, int32_t timeoutMs, int& error) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    error = 0;
    while (count > 0) {
        const int sent = send(Native(handle), reinterpret_cast<const char*>(data), static_cast<int>(count), 0);
        if (sent > 0) {
            data += sent;
            count -= static_cast<std::size_t>(sent);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            error = WSAGetLastError();
            return false;
        }
        if (WaitFor(Native(handle), true, deadline) <= 0) return false;
    }
    return true;
}

Received Receive(SocketHandle handle, uint8_t* buffer, std::size_t capacity, int32_t timeoutMs, std::size_t& count,
                 int& error) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    count = 0;
    error = 0;
    for (;;) {
        const int got = recv(Native(handle), reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0);
        if (got > 0) {
            count = static_cast<std::size_t>(got);
            return Received::Bytes;
        }
        if (got == 0) return Received::Closed;
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            error = WSAGetLastError();
            return Received::Failed;
        }
        const int ready = WaitFor(Native(handle), false, deadline);
        if (ready == 0) return Received::Nothing;
        if (ready < 0) {
            error = WSAGetLastError();
            return Received::Failed;
        }
    }
}

void Close(SocketHandle handle) {
    if (handle != kNoSocket) closesocket(Native(handle));
}

}  // namespace vek::net
