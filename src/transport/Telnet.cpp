#include "transport/Telnet.hpp"

namespace vek::telnet {

namespace {

// A subnegotiation longer than any COM port answer is not kept whole.
constexpr std::size_t kMaxSubnegotiation = 64;

}  // namespace

void AppendEscaped(Bytes& out, const uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(data[i]);
        if (data[i] == kIac) out.push_back(kIac);
    }
}

Bytes Negotiation(uint8_t verb, uint8_t option) { return {kIac, verb, option}; }

Bytes ComPortCommand(uint8_t command, const Bytes& value) {
    Bytes out{kIac, kSb, option::ComPort, command};
    AppendEscaped(out, value.data(), value.size());
    out.push_back(kIac);
    out.push_back(kSe);
    return out;
}

Bytes BaudRateValue(uint32_t baud) {
    return {static_cast<uint8_t>(baud >> 24), static_cast<uint8_t>(baud >> 16), static_cast<uint8_t>(baud >> 8),
            static_cast<uint8_t>(baud)};
}

void Decoder::Feed(const uint8_t* bytes, std::size_t count, Bytes& data) {
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        switch (state_) {
            case State::Data:
                if (b == kIac) {
                    state_ = State::Command;
                } else {
                    data.push_back(b);
                }
                break;
            case State::Command:
                if (b == kIac) {
                    data.push_back(kIac);
                    state_ = State::Data;
                } else if (b >= kWill && b <= kDont) {
                    verb_ = b;
                    state_ = State::Option;
                } else if (b == kSb) {
                    sub_.clear();
                    state_ = State::Sub;
                } else {
                    state_ = State::Data;  // NOP, GA, a stray SE and the like carry nothing for us
                }
                break;
            case State::Option:
                if (handlers_.negotiation) handlers_.negotiation(verb_, b);
                state_ = State::Data;
                break;
            case State::Sub:
                if (b == kIac) {
                    state_ = State::SubCommand;
                } else if (sub_.size() < kMaxSubnegotiation) {
                    sub_.push_back(b);
                }
                break;
            case State::SubCommand:
                if (b == kSe) {
                    EndSubnegotiation();
                    state_ = State::Data;
                } else {
                    // IAC IAC is a 0xFF of the value; anything else is out of place and dropped.
                    if (b == kIac && sub_.size() < kMaxSubnegotiation) sub_.push_back(kIac);
                    state_ = State::Sub;
                }
                break;
        }
    }
}

void Decoder::EndSubnegotiation() {
    if (sub_.size() < 2 || sub_[0] != option::ComPort || !handlers_.comPort) return;
    handlers_.comPort(sub_[1], Bytes(sub_.begin() + 2, sub_.end()));
}

}  // namespace vek::telnet
