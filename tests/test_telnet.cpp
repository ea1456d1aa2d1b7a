// The Telnet layer of the network port: data escaping, the requests it
// builds and the decoding of what a server sends, in pieces of any size.
#include "transport/Telnet.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using vek::telnet::Bytes;
namespace telnet = vek::telnet;

TEST(Telnet, DataAndRequestsAreEscapedAndFramed) {
    Bytes out;
    const uint8_t data[] = {0x00, 0xFF, 0x41, 0xFF, 0xFF};
    telnet::AppendEscaped(out, data, sizeof data);
    EXPECT_EQ(out, (Bytes{0x00, 0xFF, 0xFF, 0x41, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(telnet::Negotiation(telnet::kWill, telnet::option::ComPort), (Bytes{255, 251, 44}));
    // 57600 = 0x0000E100; a rate with a 0xFF byte has it doubled inside the subnegotiation.
    EXPECT_EQ(telnet::ComPortCommand(telnet::com::SetBaudRate, telnet::BaudRateValue(57600)),
              (Bytes{255, 250, 44, 1, 0x00, 0x00, 0xE1, 0x00, 255, 240}));
    EXPECT_EQ(telnet::ComPortCommand(telnet::com::SetBaudRate, telnet::BaudRateValue(0xFF)),
              (Bytes{255, 250, 44, 1, 0x00, 0x00, 0x00, 0xFF, 0xFF, 255, 240}));
}

TEST(Telnet, ServerStreamSplitsIntoDataNegotiationsAndComPortAnswersInAnyPieces) {
    const Bytes stream = {
        0x59, 0xFF, 0xFF, 0xAC,                                 // data with an escaped 0xFF
        255, 253, 44,                                           // DO COM-PORT
        255, 251, 1,                                            // WILL ECHO
        255, 241,                                               // NOP
        255, 250, 44, 101, 0x00, 0x00, 0xFF, 0xFF, 0x00, 255, 240,  // SET-BAUDRATE answer 0xFF00
        255, 250, 24, 1, 255, 240,                              // another option's subnegotiation
        0x07,
    };
    for (size_t piece = 1; piece <= stream.size(); ++piece) {
        std::vector<std::pair<uint8_t, uint8_t>> negotiations;
        std::vector<std::pair<uint8_t, Bytes>> answers;
        telnet::Decoder decoder({[&](uint8_t verb, uint8_t option) { negotiations.emplace_back(verb, option); },
                                 [&](uint8_t command, const Bytes& value) { answers.emplace_back(command, value); }});
        Bytes data;
        for (size_t at = 0; at < stream.size(); at += piece) {
            decoder.Feed(stream.data() + at, std::min(piece, stream.size() - at), data);
        }
        EXPECT_EQ(data, (Bytes{0x59, 0xFF, 0xAC, 0x07})) << "pieces of " << piece;
        EXPECT_EQ(negotiations, (std::vector<std::pair<uint8_t, uint8_t>>{{253, 44}, {251, 1}}));
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0].first, 101);
        EXPECT_EQ(answers[0].second, (Bytes{0x00, 0x00, 0xFF, 0x00}));
    }
}

TEST(Telnet, AnEndlessSubnegotiationIsCutAndTheStreamGoesOn) {
    telnet::Decoder decoder({nullptr, [](uint8_t, const Bytes& value) { EXPECT_LE(value.size(), 64u); }});
    Bytes stream = {255, 250, 44, 101};
    stream.insert(stream.end(), 100000, 0x11);
    stream.insert(stream.end(), {255, 240, 0x42});
    Bytes data;
    decoder.Feed(stream.data(), stream.size(), data);
    EXPECT_EQ(data, Bytes{0x42});
}

}  // namespace
