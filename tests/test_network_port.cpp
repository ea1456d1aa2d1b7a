// The network port against a real device server (ser2net speaking RFC 2217)
// in front of the simulated governor, and against servers that fail: every
// failure is one line naming the address and its cause, within the time-out.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/NetworkLine.hpp"
#include "support/SerialReset.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

using vektest::NetworkLine;

constexpr uint32_t kIdleSpeed = 1;

bool AnyLineIs(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

class NetworkPort : public ::testing::Test {
protected:
    void SetUp() override { vektest::ResetSerialPort(); }
    void TearDown() override {
        VekClose();
        vektest::ResetSerialPort();
    }

    static bool Configure(const std::u16string& port, uint32_t baud) {
        return VekConfigureSerialStream(reinterpret_cast<const VekChar*>(port.c_str()), baud) == 1;
    }

    vektest::LogCapture log;
};

TEST_F(NetworkPort, ServesAWholeSessionThroughADeviceServer) {
    NetworkLine line;
    if (!line.Unavailable().empty()) GTEST_SKIP() << line.Unavailable();
    ASSERT_TRUE(Configure(line.PortName(), 57600));

    ASSERT_EQ(VekInit(), 1) << log.RawText();
    ASSERT_EQ(VekReadAllParDef(), 1) << log.RawText();
    ASSERT_EQ(VekReadAllValues(), 0) << log.RawText();
    ASSERT_EQ(VekWriteRawValue(kIdleSpeed, 750), 1);
    ASSERT_EQ(VekReadRawValue(kIdleSpeed), 1);
    EXPECT_EQ(VekGetParDef(kIdleSpeed)->RawValue, 750);

    std::vector<char> file(1 << 16);
    int32_t size = static_cast<int32_t>(file.size());
    ASSERT_EQ(VekDownloadPrmBuffer(file.data(), &size), 1) << log.RawText();
    ASSERT_EQ(VekWriteRawValue(kIdleSpeed, 800), 1);
    ASSERT_EQ(VekUploadPrmBuffer(file.data(), static_cast<uint32_t>(size), 0), 1) << log.RawText();
    ASSERT_EQ(VekReadRawValue(kIdleSpeed), 1);
    EXPECT_EQ(VekGetParDef(kIdleSpeed)->RawValue, 750);

    const std::vector<uint8_t> image(3000, 0xFF);  // every byte doubled on the way
    ASSERT_EQ(VekUploadFirmwareFromBuffer(image.data(), static_cast<uint32_t>(image.size())), 1) << log.RawText();
    EXPECT_EQ(VekPing(), 1);

    // The governor heard the wake-up at 300, the synchronisation at 9600 and
    // the rest at the configured rate, and so again after the firmware
    // restart (perhaps after a try or two while it booted).
    const std::vector<unsigned> rates = line.RatesHeard();
    if (!rates.empty()) {
        const std::vector<unsigned> connection{300, 9600, 57600};
        ASSERT_GE(rates.size(), 6u);
        EXPECT_EQ(std::vector<unsigned>(rates.begin(), rates.begin() + 3), connection);
        EXPECT_EQ(std::vector<unsigned>(rates.end() - 3, rates.end()), connection);
        for (const unsigned rate : rates) EXPECT_TRUE(rate == 300 || rate == 9600 || rate == 57600) << rate;
    }
}

// The device server stopped on the third block of the definitions.
NetworkLine* stoppedLine = nullptr;
int blocksAsked = 0;
void VEK_CALL StopTheServerOnTheThirdBlock(void*) {
    if (++blocksAsked == 3) stoppedLine->StopServer();
}

TEST_F(NetworkPort, ADeviceServerStoppedMidDownloadFailsTheDownloadAndALaterConnectWorks) {
    NetworkLine line;
    if (!line.Unavailable().empty()) GTEST_SKIP() << line.Unavailable();
    if (!line.StopServer() || !line.StartServer()) GTEST_SKIP() << "the device server is not the test's to stop";
    ASSERT_TRUE(Configure(line.PortName(), 57600));
    ASSERT_EQ(VekInit(), 1) << log.RawText();

    stoppedLine = &line;
    blocksAsked = 0;
    VekSetCallback(VEK_CALLBACK_IDLE, reinterpret_cast<VekCallback>(StopTheServerOnTheThirdBlock));
    EXPECT_EQ(VekReadAllParDef(), 0);
    VekSetCallback(VEK_CALLBACK_IDLE, nullptr);
    EXPECT_TRUE(AnyLineIs(log.Lines(), "The server at " + Narrow(line.PortName()) + " closed the connection"))
        << log.RawText();

    ASSERT_TRUE(line.StartServer());
    EXPECT_EQ(VekInit(), 1) << log.RawText();
    EXPECT_EQ(VekReadAllParDef(), 1) << log.RawText();
}

TEST_F(NetworkPort, APortNobodyListensOnIsRefusedAtOnce) {
    // Port 9 (discard) of the loopback address has no listener here.
    ASSERT_TRUE(Configure(u"rfc2217://127.0.0.1:9", 57600));
    EXPECT_EQ(VekInit(), 0);
    const std::vector<std::string> lines = log.Lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("Failed to connect to rfc2217://127.0.0.1:9: ", 0) == 0;
    })) << log.RawText();
    EXPECT_EQ(VekGetStream()->IsOpen(VekGetStream()), 0);
}

TEST_F(NetworkPort, AddressesThatAreNoAddressesAreNamed) {
    for (const char16_t* name : {u"rfc2217://127.0.0.1", u"rfc2217://:4000", u"rfc2217://host:70000"}) {
        ASSERT_TRUE(Configure(name, 9600));
        EXPECT_EQ(VekInit(), 0);
        EXPECT_TRUE(AnyLineIs(log.Lines(),
                              "The network port " + Narrow(name) + " is not of the form rfc2217://HOST:PORT"))
            << log.RawText();
    }
}

#ifndef _WIN32
// A Telnet server that answers the offer of COM port control with DONT.
class RefusingServer {
public:
    RefusingServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 1);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            const int peer = accept(listener_, nullptr, nullptr);
            if (peer < 0) return;
            uint8_t request[64];
            if (recv(peer, request, sizeof request, 0) > 0) {
                const uint8_t refusal[] = {255, 254, 44};  // IAC DONT COM-PORT
                send(peer, refusal, sizeof refusal, MSG_NOSIGNAL);
            }
            while (recv(peer, request, sizeof request, 0) > 0) {
            }
            close(peer);
        });
    }
    ~RefusingServer() {
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        thread_.join();
    }
    std::u16string PortName() const {
        const std::string name = "rfc2217://127.0.0.1:" + std::to_string(port_);
        return std::u16string(name.begin(), name.end());
    }

private:
    int listener_ = -1;
    unsigned port_ = 0;
    std::thread thread_;
};

TEST_F(NetworkPort, AServerWithoutComPortControlIsNamed) {
    RefusingServer server;
    ASSERT_TRUE(Configure(server.PortName(), 57600));
    EXPECT_EQ(VekInit(), 0);
    EXPECT_TRUE(AnyLineIs(log.Lines(),
                          "The server at " + Narrow(server.PortName()) + " refuses COM port control (RFC 2217)"))
        << log.RawText();
}
#endif

}  // namespace
