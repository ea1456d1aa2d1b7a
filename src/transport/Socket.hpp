// The TCP client calls the network port needs, one implementation per
// platform (SocketPosix.cpp, SocketWin32.cpp). Every call is bounded by the
// time-out it is given; none blocks beyond it.
#pragma once

#include "text/Text.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vek::net {

using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

// Resolves host and connects to port within timeoutMs, trying each address
// the name has. On failure reason holds the system's words for the last cause.
bool Connect(const std::string& host, uint16_t port, int32_t timeoutMs, SocketHandle& handle, Text& reason);

// Sends every byte within timeoutMs; false with the system's code in error
// (0 when the time ran out).
bool SendAll(SocketHandle handle, const uint8_t* data, std::size_t count, int32_t timeoutMs, int& error);

// What Receive found.
enum class Received { Bytes, Nothing, Closed, Failed };

// Waits up to timeoutMs for bytes and takes what is there, at most capacity:
// Bytes with count set; Nothing when the time ran out; Closed when the peer
// closed the connection; Failed with the system's code in error.
Received Receive(SocketHandle handle, uint8_t* buffer, std::size_t capacity, int32_t timeoutMs, std::size_t& count,
                 int& error);

void Close(SocketHandle handle);

}  // namespace vek::net
