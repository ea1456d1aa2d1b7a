// The part of Telnet that a serial line over the network needs: escaping of
// data, option negotiation commands, and the COM port control
// subnegotiations that set the far port's rate and line and purge its
// queues. Bytes in, bytes out; no sockets here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace vek::telnet {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kIac = 255;   // interpret as command
constexpr uint8_t kDont = 254;
constexpr uint8_t kDo = 253;
constexpr uint8_t kWont = 252;
constexpr uint8_t kWill = 251;
constexpr uint8_t kSb = 250;    // subnegotiation begins
constexpr uint8_t kSe = 240;    // subnegotiation ends

namespace option {
constexpr uint8_t Binary = 0;
constexpr uint8_t SuppressGoAhead = 3;
constexpr uint8_t ComPort = 44;
}  // namespace option

// COM port control commands as the client sends them; the server answers
// each with the same command plus kServerReply.
namespace com {
constexpr uint8_t SetBaudRate = 1;
constexpr uint8_t SetDataSize = 2;
constexpr uint8_t SetParity = 3;
constexpr uint8_t SetStopSize = 4;
constexpr uint8_t SetControl = 5;
constexpr uint8_t PurgeData = 12;
constexpr uint8_t kServerReply = 100;

constexpr uint8_t kParityNone = 1;
constexpr uint8_t kOneStopBit = 1;
constexpr uint8_t kNoFlowControl = 1;
constexpr uint8_t kPurgeBothQueues = 3;
}  // namespace com

// Appends data to out with every 0xFF doubled.
void AppendEscaped(Bytes& out, const uint8_t* data, std::size_t count);

// IAC verb option, e.g. Negotiation(kWill, option::ComPort).
Bytes Negotiation(uint8_t verb, uint8_t option);

// IAC SB COM-PORT command value... IAC SE, the value escaped.
Bytes ComPortCommand(uint8_t command, const Bytes& value);
// The 4-byte value of SET-BAUDRATE, most significant byte first.
Bytes BaudRateValue(uint32_t baud);

// Splits what the server sends into data and commands, across any number of
// pieces: data bytes go to the data sink, negotiations and COM port
// subnegotiations to their handlers. Other commands (NOP, GA, ...) and other
// options' subnegotiations are dropped.
class Decoder {
public:
    struct Handlers {
        std::function<void(uint8_t verb, uint8_t option)> negotiation;
        // The server's COM port answer or notification: command and value.
        std::function<void(uint8_t command, const Bytes& value)> comPort;
    };

    Decoder() = default;
    explicit Decoder(Handlers handlers) : handlers_(std::move(handlers)) {}

    void Feed(const uint8_t* bytes, std::size_t count, Bytes& data);

private:
    enum class State { Data, Command, Option, Sub, SubCommand };

    void EndSubnegotiation();

    Handlers handlers_;
    State state_ = State::Data;
    uint8_t verb_ = 0;
    Bytes sub_;
};

}  // namespace vek::telnet
