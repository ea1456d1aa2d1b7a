// A governor's serial port reached through a device server on the network
// that speaks Telnet COM port control (RFC 2217): a port name of the form
// rfc2217://HOST:PORT. Its operations fill the stream record like the
// serial port's: the far port is opened at the start rate for the wake-up,
// follows every rate change once the bytes sent at the old rate have left
// it, and its queues are purged on request.
#pragma once

#include "VekLib.h"
#include "text/Text.hpp"
#include "transport/SerialPort.hpp"
#include "transport/Socket.hpp"
#include "transport/Telnet.hpp"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vek {

// Whether a port name asks for the network port (its scheme, in any case).
bool IsNetworkPortName(TextView portName);

// Puts the network port's operations into the stream's slots.
void InstallNetworkOperations(SerialStream& stream);

struct NetworkPortState {
    net::SocketHandle socket = net::kNoSocket;
    Text address;  // the port name as configured, for the log
    int32_t configuredRate = 0;
    uint32_t lineRate = 0;   // the far port's rate as the server confirmed it
    int32_t currentTimeout = kDefaultPortTimeout;
    telnet::Decoder decoder;
    telnet::Bytes received;  // data that arrived and was not read yet
    // When the bytes written so far have left the far port at its rate.
    std::chrono::steady_clock::time_point wireFree{};
    // How long the server took to answer the option request: how late data
    // reaches the far port after it was sent.
    std::chrono::steady_clock::duration latency{};
    std::optional<bool> comPortAccepted;  // the server's answer to WILL COM-PORT
    std::optional<uint32_t> confirmedRate;  // the last SET-BAUDRATE answer
    // The options we said WILL and DO to, one bit per option number.
    uint32_t offered = 0;
    uint32_t asked = 0;
};

NetworkPortState& NetworkPort();

}  // namespace vek
