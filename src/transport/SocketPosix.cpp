// TCP client calls on POSIX systems: non-blocking sockets waited on with poll.
#include "transport/Socket.hpp"

#include "platform/Platform.hpp"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vek::net {

namespace {

using Clock = std::chrono::steady_clock;

int Descriptor(SocketHandle handle) { return static_cast<int>(handle); }

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for events on fd until the deadline; poll's result.
int WaitFor(int fd, short events, Clock::time_point deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = poll(&entry, 1, MillisecondsLeft(deadline));
        if (ready >= 0 || errno != EINTR) return ready;
    }
}

// One address: a non-blocking socket, connected within the deadline.
int ConnectTo(const addrinfo& address, Clock::time_point deadline, int& error) {
    const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            const int ready = WaitFor(fd, POLLOUT, deadline);
            socklen_t length = sizeof error;
            if (ready <= 0) {
                error = ready == 0 ? ETIMEDOUT : errno;
            } else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
                error = errno;
            }
        }
        if (error != 0) {
            close(fd);
            return -1;
        }
    }
    // Requests are a few bytes each and wait for their reply: send them at once.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

}  // namespace

bool Connect(const std::string& host, uint16_t port, int32_t timeoutMs, SocketHandle& handle, Text& reason) {
    handle = kNoSocket;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    const int resolved = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
    if (resolved != 0) {
        reason = Widen(gai_strerror(resolved));
        return false;
    }
    int error = 0;
    for (const addrinfo* address = addresses; address && handle == kNoSocket; address = address->ai_next) {
        const int fd = ConnectTo(*address, deadline, error);
        if (fd >= 0) handle = fd;
    }
    freeaddrinfo(addresses);
    if (handle == kNoSocket) reason = platform::SystemErrorText(error);
    return handle != kNoSocket;
}

bool SendAll(SocketHandle handle, const uint8_t* data, std::size_t count, int32_t timeoutMs, int& error) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    error = 0;
    while (count > 0) {
        const ssize_t sent = send(Descriptor(handle), data, count, MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            count -= static_cast<std::size_t>(sent);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            error = errno;
            return false;
        }
        if (WaitFor(Descriptor(handle), POLLOUT, deadline) <= 0) return false;
    }
    return true;
}

Received Receive(SocketHandle handle, uint8_t* buffer, std::size_t capacity, int32_t timeoutMs, std::size_t& count,
                 int& error) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    count = 0;
    error = 0;
    for (;;) {
        const ssize_t got = recv(Descriptor(handle), buffer, capacity, 0);
        if (got > 0) {
            count = static_cast<std::size_t>(got);
            return Received::Bytes;
        }
        if (got == 0) return Received::Closed;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            error = errno;
            return Received::Failed;
        }
        const int ready = WaitFor(Descriptor(handle), POLLIN, deadline);
        if (ready == 0) return Received::Nothing;
        if (ready < 0) {
            error = errno;
            return Received::Failed;
        }
    }
}

void Close(SocketHandle handle) {
    if (handle != kNoSocket) close(Descriptor(handle));
}

}  // namespace vek::net
