// The network port's stream operations: connect and negotiate COM port
// control, the wake-up at the start rate, reads and writes of data through
// the Telnet escaping, rate changes confirmed by the server and purges.
#include "transport/NetworkPort.hpp"

#include "core/Report.hpp"
#include "platform/Platform.hpp"
#include "transport/SerialPort.hpp"
#include "transport/Stream.hpp"

#include <algorithm>
#include <array>
#include <iterator>
#include <thread>
#include <utility>

namespace vek {

namespace {

using Clock = std::chrono::steady_clock;
using telnet::Bytes;

constexpr TextView kScheme = u"rfc2217://";
constexpr uint32_t kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr uint8_t kDataBits = 8;
constexpr uint32_t kMaxTcpPort = 65535;
constexpr std::size_t kReceiveChunk = 4096;
// Added to the far port's drain time before its rate changes: the network
// delays the data, and the server writes it a little after it arrives.
constexpr auto kRateChangeMargin = std::chrono::milliseconds(2);

NetworkPortState& Port() { return NetworkPort(); }
bool IsOpen() { return Port().socket != net::kNoSocket; }

Clock::time_point After(int32_t ms) { return Clock::now() + std::chrono::milliseconds(std::max(ms, 0)); }

int32_t MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int32_t>(std::max<long long>(left, 0));
}

void CloseSocket() {
    net::Close(Port().socket);
    Port().socket = net::kNoSocket;
}

bool Send(const Bytes& bytes) {
    int error = 0;
    if (net::SendAll(Port().socket, bytes.data(), bytes.size(), Port().currentTimeout, error)) return true;
    const Text reason = error ? platform::SystemErrorText(error) : Text(u"no room to send within the time-out");
    LogMessage(StreamTranslate(u"Failed to send to %s: %s"), Port().address, reason);
    return false;
}

// The options both sides use: 8-bit data both ways and no go-ahead signals.
constexpr uint8_t kWelcomeOptions[] = {telnet::option::Binary, telnet::option::SuppressGoAhead};
constexpr uint32_t Bit(uint8_t option) { return uint32_t{1} << option; }

bool Welcome(uint8_t option) {
    return std::find(std::begin(kWelcomeOptions), std::end(kWelcomeOptions), option) != std::end(kWelcomeOptions);
}

// Answers the server's option requests: the welcome options are agreed to
// once, COM port control is ours to offer, everything else is refused. A
// refusal needs no answer.
void Negotiate(uint8_t verb, uint8_t option) {
    NetworkPortState& port = Port();
    if (option == telnet::option::ComPort) {
        if (verb == telnet::kDo) port.comPortAccepted = true;
        if (verb == telnet::kDont) port.comPortAccepted = false;
        return;
    }
    if (verb != telnet::kDo && verb != telnet::kWill) return;
    const bool theirRequest = verb == telnet::kDo;  // they ask us to use it
    uint32_t& agreed = theirRequest ? port.offered : port.asked;
    if (!Welcome(option)) {
        Send(telnet::Negotiation(theirRequest ? telnet::kWont : telnet::kDont, option));
    } else if (!(agreed & Bit(option))) {
        agreed |= Bit(option);
        Send(telnet::Negotiation(theirRequest ? telnet::kWill : telnet::kDo, option));
    }
}

void TakeComPortReply(uint8_t command, const Bytes& value) {
    constexpr std::size_t kBaudBytes = 4;
    if (command != telnet::com::SetBaudRate + telnet::com::kServerReply || value.size() < kBaudBytes) return;
    Port().confirmedRate =
        (uint32_t{value[0]} << 24) | (uint32_t{value[1]} << 16) | (uint32_t{value[2]} << 8) | value[3];
}

// Waits for what the server sends until the deadline and takes it apart:
// data to the received bytes, answers to the state. False when nothing came
// in time or the connection is gone (logged).
bool Pump(Clock::time_point deadline) {
    std::array<uint8_t, kReceiveChunk> chunk;
    std::size_t count = 0;
    int error = 0;
    switch (net::Receive(Port().socket, chunk.data(), chunk.size(), MillisecondsUntil(deadline), count, error)) {
        case net::Received::Bytes:
            Port().decoder.Feed(chunk.data(), count, Port().received);
            return true;
        case net::Received::Nothing:
            return false;
        case net::Received::Closed:
            LogMessage(StreamTranslate(u"The server at %s closed the connection"), Port().address);
            break;
        case net::Received::Failed:
            LogMessage(StreamTranslate(u"Failed to receive from %s: %s"), Port().address,
                       platform::SystemErrorText(error));
            break;
    }
    CloseSocket();
    return false;
}

// Pumps until done() holds or the deadline passes.
template <class Done>
bool PumpUntil(Clock::time_point deadline, Done done) {
    while (!done()) {
        if (!IsOpen() || !Pump(deadline)) return done();
    }
    return true;
}

// "host:port" after the scheme, the host possibly in brackets (IPv6).
bool SplitAddress(TextView name, std::string& host, uint16_t& tcpPort) {
    const TextView rest = name.substr(kScheme.size());
    const std::size_t colon = rest.rfind(u':');
    if (colon == TextView::npos || colon == 0 || colon + 1 == rest.size()) return false;
    TextView hostPart = rest.substr(0, colon);
    if (hostPart.size() >= 2 && hostPart.front() == u'[' && hostPart.back() == u']') {
        hostPart = hostPart.substr(1, hostPart.size() - 2);
    }
    uint32_t number = 0;
    for (const Char c : rest.substr(colon + 1)) {
        if (c < u'0' || c > u'9') return false;
        number = number * 10 + static_cast<uint32_t>(c - u'0');
        if (number > kMaxTcpPort) return false;
    }
    if (number == 0 || hostPart.empty()) return false;
    host = ToUtf8(Text(hostPart));
    tcpPort = static_cast<uint16_t>(number);
    return true;
}

bool Connect(const Char* name, int32_t timeoutMs) {
    std::string host;
    uint16_t tcpPort = 0;
    if (!SplitAddress(name, host, tcpPort)) {
        LogMessage(StreamTranslate(u"The network port %s is not of the form rfc2217://HOST:PORT"), name);
        return false;
    }
    Text reason;
    if (net::Connect(host, tcpPort, timeoutMs, Port().socket, reason)) return true;
    LogMessage(StreamTranslate(u"Failed to connect to %s: %s"), name, reason);
    return false;
}

// Offers COM port control and the 8-bit options and waits for the server's
// answer to the first: a server without it cannot move the far port's rate.
bool NegotiateComPort(Clock::time_point deadline) {
    NetworkPortState& port = Port();
    const Clock::time_point asked = Clock::now();
    Bytes offer = telnet::Negotiation(telnet::kWill, telnet::option::ComPort);
    for (const uint8_t option : kWelcomeOptions) {
        for (const uint8_t verb : {telnet::kWill, telnet::kDo}) {
            const Bytes request = telnet::Negotiation(verb, option);
            offer.insert(offer.end(), request.begin(), request.end());
        }
        port.offered |= Bit(option);
        port.asked |= Bit(option);
    }
    if (!Send(offer)) return false;
    if (PumpUntil(deadline, [&] { return port.comPortAccepted.has_value(); }) && *port.comPortAccepted) {
        port.latency = Clock::now() - asked;
        return true;
    }
    if (IsOpen()) {
        LogMessage(StreamTranslate(port.comPortAccepted.has_value()
                                       ? u"The server at %s refuses COM port control (RFC 2217)"
                                       : u"The server at %s does not answer the COM port control request (RFC 2217)"),
                   port.address);
    }
    return false;
}

// Moves the far port to rate once the bytes sent at its old rate have left
// it, and waits for the server to confirm.
bool SetFarRate(uint32_t rate) {
    NetworkPortState& port = Port();
    std::this_thread::sleep_until(std::max(port.wireFree + port.latency + kRateChangeMargin, Clock::now()));
    port.confirmedRate.reset();
    if (!Send(telnet::ComPortCommand(telnet::com::SetBaudRate, telnet::BaudRateValue(rate)))) return false;
    if (!PumpUntil(After(port.currentTimeout), [&] { return port.confirmedRate.has_value(); })) {
        if (IsOpen()) LogMessage(StreamTranslate(u"The server at %s did not confirm the rate %u"), port.address, rate);
        return false;
    }
    port.lineRate = rate;
    return true;
}

// 8 data bits, no parity, one stop bit, no flow control. Only the rate is
// waited for: some servers leave the other answers out.
bool SetFarLine() {
    using namespace telnet::com;
    Bytes line = telnet::ComPortCommand(SetDataSize, {kDataBits});
    for (const auto& [command, value] : {std::pair<uint8_t, uint8_t>{SetParity, kParityNone},
                                         {SetStopSize, kOneStopBit},
                                         {SetControl, kNoFlowControl}}) {
        const Bytes request = telnet::ComPortCommand(command, {value});
        line.insert(line.end(), request.begin(), request.end());
    }
    return Send(line) && SetFarRate(kWakeUpBaudRate);
}

int32_t VEK_CALL NetworkOpen(SerialStream* stream) {
    NetworkPortState& port = Port();
    Char name[kPortNameCapacity];
    int32_t rate = 0;
    if (!ParseSerialConfig(FromApi(stream->Config), name, rate)) {
        LogMessage(StreamTranslate(u"Failed to parse serial connection configuration string %s:"),
                   FromApi(stream->Config));
        return 0;
    }
    CloseSocket();
    const int32_t timeout = port.currentTimeout;
    port = NetworkPortState{};
    port.address = name;
    port.configuredRate = rate;
    port.currentTimeout = timeout;
    port.decoder = telnet::Decoder({Negotiate, TakeComPortReply});
    stream->Context = nullptr;
    if (rate <= 0) {
        LogMessage(StreamTranslate(u"The serial port %s cannot run at %d bauds"), name, rate);
        return 0;
    }
    const Clock::time_point deadline = After(stream->LongTimeout);
    if (!Connect(name, stream->LongTimeout) || !NegotiateComPort(deadline) || !SetFarLine()) {
        CloseSocket();
        LogMessage(StreamTranslate(u"Failed to open port at 300 bauds"));
        return 0;
    }
    WakeUpGovernor(stream);
    if (!SetFarRate(kSynchronizeBaudRate)) {
        LogMessage(StreamTranslate(u"Failed to open port at 9600 bauds"));
        return 0;
    }
    return 1;
}

int32_t VEK_CALL NetworkIsOpen(SerialStream*) { return IsOpen() ? 1 : 0; }

int32_t VEK_CALL NetworkClose(SerialStream*) {
    if (!IsOpen()) return 0;
    CloseSocket();
    return 1;
}

int32_t VEK_CALL NetworkConfigure(SerialStream*) { return 1; }

int32_t VEK_CALL NetworkWrite(SerialStream*, const uint8_t* data, int32_t count) {
    if (count == 0) return 1;
    if (count < 0 || !data || !IsOpen()) return 0;
    Bytes escaped;
    telnet::AppendEscaped(escaped, data, static_cast<std::size_t>(count));
    if (!Send(escaped)) return 0;
    NetworkPortState& port = Port();
    const auto wireTime = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(count) * kBitsPerByte / std::max<uint32_t>(port.lineRate, 1)));
    port.wireFree = std::max(port.wireFree, Clock::now()) + wireTime;
    return 1;
}

int32_t VEK_CALL NetworkRead(SerialStream*, uint8_t* buffer, int32_t count) {
    if (count == 0) return 1;
    NetworkPortState& port = Port();
    const std::size_t wanted = count > 0 && buffer ? static_cast<std::size_t>(count) : 0;
    const Clock::time_point deadline = After(port.currentTimeout);
    PumpUntil(deadline, [&] { return port.received.size() >= wanted; });
    const std::size_t got = std::min(port.received.size(), wanted);
    std::copy_n(port.received.begin(), got, buffer);
    port.received.erase(port.received.begin(), port.received.begin() + static_cast<std::ptrdiff_t>(got));
    if (wanted > 0 && got == wanted) return 1;
    if (LogSystemErrors()) {
        LogMessage(u"Read error after %d msec from %s (received %d [B], expected %d [B])", port.currentTimeout,
                   port.address, static_cast<int32_t>(got), count);
    }
    return 0;
}

int32_t VEK_CALL NetworkGetTimeout(SerialStream*) { return Port().currentTimeout; }

int32_t VEK_CALL NetworkSetTimeout(SerialStream*, int32_t ms) {
    Port().currentTimeout = ms == 0 ? kDefaultPortTimeout : ms;
    return 1;
}

int32_t VEK_CALL NetworkPurge(SerialStream*) {
    Port().received.clear();
    if (!IsOpen()) return 0;
    return Send(telnet::ComPortCommand(telnet::com::PurgeData, {telnet::com::kPurgeBothQueues})) ? 1 : 0;
}

int32_t VEK_CALL NetworkChangeBaudRate(SerialStream* stream) {
    const int32_t rate = Port().configuredRate;
    if (Port().lineRate == static_cast<uint32_t>(rate)) return 1;
    if (!StreamRequestBaudRate(static_cast<uint32_t>(rate))) return 0;
    if (SetFarRate(static_cast<uint32_t>(rate))) {
        NetworkPurge(stream);
        return 1;
    }
    LogMessage(StreamTranslate(u"Failed to change the serial baudrate to %d (%s):"), rate, FromApi(stream->Config));
    return 0;
}

}  // namespace

bool IsNetworkPortName(TextView portName) {
    if (portName.size() < kScheme.size()) return false;
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        const Char c = portName[i];
        const Char lower = c >= u'A' && c <= u'Z' ? static_cast<Char>(c - u'A' + u'a') : c;
        if (lower != kScheme[i]) return false;
    }
    return true;
}

NetworkPortState& NetworkPort() {
    static NetworkPortState state;
    return state;
}

void InstallNetworkOperations(SerialStream& stream) {
    stream.Open = NetworkOpen;
    stream.IsOpen = NetworkIsOpen;
    stream.Close = NetworkClose;
    stream.Configure = NetworkConfigure;
    stream.Write = NetworkWrite;
    stream.Read = NetworkRead;
    stream.GetTimeout = NetworkGetTimeout;
    stream.SetTimeout = NetworkSetTimeout;
    stream.ChangeBaudRate = NetworkChangeBaudRate;
    stream.Purge = NetworkPurge;
}

}  // namespace vek
