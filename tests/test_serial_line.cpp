// The real serial port code against the simulated governor at the other end
// of a line: a pseudo-terminal on POSIX, a COM port under Wine.
#include "VekLib.h"
#include "support/GovernorLine.hpp"
#include "support/LogCapture.hpp"
#include "support/SerialReset.hpp"
#include "transport/SerialPort.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

using vektest::GovernorLine;
using vektest::LineKind;

constexpr uint16_t kDefaultProfileHardware = 2310;
constexpr int32_t kDefaultProfileDeviceKind = 3;
const std::string kReadStatsOfAnEmptyPort =
    "Read stats: CtsHold 0, DsrHold 0, RlsdHold 0, XoffHold 0, XoffSent 0, Eof 0, Txim 0, Reserved 0, "
    "cbInQue 0, cbOutQue 0";

bool AnyLineStartsWith(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

class SerialLine : public ::testing::Test {
protected:
    void SetUp() override { vektest::ResetSerialPort(); }
    void TearDown() override { vektest::ResetSerialPort(); }

    // Configures the stream for the line, or skips the test without one.
    bool Configure(const GovernorLine& line, uint32_t baud) {
        if (!line.Unavailable().empty()) return false;
        return VekConfigureSerialStream(reinterpret_cast<const VekChar*>(line.PortName().c_str()), baud) == 1;
    }

    SerialStream* stream() { return VekGetStream(); }
    vektest::LogCapture log;
};

#define CONFIGURE_OR_SKIP(line, baud)                                          \
    do {                                                                       \
        if (!(line).Unavailable().empty()) GTEST_SKIP() << (line).Unavailable(); \
        ASSERT_TRUE(Configure((line), (baud)));                               \
    } while (0)

TEST_F(SerialLine, ConnectsAndReleasesThePortOnClose) {
    GovernorLine line(LineKind::Healthy);
    CONFIGURE_OR_SKIP(line, 9600);

    ASSERT_EQ(VekInit(), 1) << log.RawText();
    EXPECT_EQ(VekGetVekStruct()->DeviceKind, kDefaultProfileDeviceKind);
    EXPECT_EQ(VekGetVekStruct()->HardwareVersion, kDefaultProfileHardware);
    // The port already runs at 9600 after the wake-up: no rate request.
    EXPECT_FALSE(AnyLineStartsWith(log.Lines(), "Requesting to change the baudrate"));
    EXPECT_EQ(stream()->IsOpen(stream()), 1);

    VekClose();
    EXPECT_EQ(stream()->IsOpen(stream()), 0);
    // Closed means released: the same port opens again at once.
    ASSERT_EQ(VekInit(), 1) << log.RawText();
    EXPECT_FALSE(AnyLineStartsWith(log.Lines(), "Win32 ["));
    VekClose();
}

TEST_F(SerialLine, MovesGovernorAndPortToTheConfiguredRate) {
    GovernorLine line(LineKind::Healthy);
    CONFIGURE_OR_SKIP(line, 19200);

    ASSERT_EQ(VekInit(), 1) << log.RawText();
    EXPECT_TRUE(log.Contains("Requesting to change the baudrate (19200)"));
    EXPECT_EQ(stream()->GetTimeout(stream()), 1000);  // the reply time-out of 19200 baud
    VekClose();
}

TEST_F(SerialLine, AReplyThatArrivesInPartFailsWithTheReadErrorLines) {
    GovernorLine line(LineKind::CutSyncReply);
    CONFIGURE_OR_SKIP(line, 9600);

    EXPECT_EQ(VekInit(), 0);
    const std::vector<std::string> lines = log.Lines();
    const auto error = std::find(lines.begin(), lines.end(),
                                 "Read error after 1200 msec (received 1 [B], expected 2 [B], remained 1 [B] and "
                                 "result 1)");
    ASSERT_NE(error, lines.end()) << log.RawText();
    ASSERT_LT(error + 2, lines.end());
    EXPECT_EQ(error[1], kReadStatsOfAnEmptyPort);
    EXPECT_EQ(error[2], "Failed to synchronize communication");
    // A time-out is no system failure.
    EXPECT_FALSE(AnyLineStartsWith(lines, "Win32 ["));
    EXPECT_EQ(stream()->IsOpen(stream()), 0);  // the failed connection closed the port
}

TEST_F(SerialLine, WithSystemErrorLinesOffAFailedReadLogsNothing) {
    GovernorLine line(LineKind::CutSyncReply);
    CONFIGURE_OR_SKIP(line, 9600);
    vek::SetLogSystemErrors(0);

    EXPECT_EQ(VekInit(), 0);
    const std::vector<std::string> lines = log.Lines();
    EXPECT_TRUE(log.Contains("Failed to synchronize communication"));
    EXPECT_FALSE(AnyLineStartsWith(lines, "Read "));
    EXPECT_FALSE(AnyLineStartsWith(lines, "Win32 ["));
}

TEST_F(SerialLine, ASilentPeerFailsTheReadNoSoonerThanTheTimeout) {
    GovernorLine line(LineKind::Healthy);
    CONFIGURE_OR_SKIP(line, 9600);
    ASSERT_EQ(stream()->Open(stream()), 1) << log.RawText();

    constexpr int32_t kTimeoutMs = 400;
    ASSERT_EQ(stream()->SetTimeout(stream(), kTimeoutMs), 1);
    uint8_t reply[2] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(stream()->Read(stream(), reply, 2), 0);  // nothing was asked, so nothing comes
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_GE(elapsed, std::chrono::milliseconds(kTimeoutMs));
    EXPECT_LT(elapsed, std::chrono::milliseconds(10 * kTimeoutMs));  // generous: machines are noisy
    EXPECT_TRUE(log.Contains("Read error after 400 msec (received 0 [B], expected 2 [B], remained 2 [B] and "
                             "result 1)"));
}

TEST_F(SerialLine, PurgeDiscardsAReplyNotYetRead) {
    GovernorLine line(LineKind::Healthy);
    CONFIGURE_OR_SKIP(line, 9600);
    ASSERT_EQ(stream()->Open(stream()), 1) << log.RawText();
    stream()->SetTimeout(stream(), 2000);

    const uint8_t synchronize[] = {0x01, 0x55, 0xAA};
    ASSERT_EQ(stream()->Write(stream(), synchronize, 3), 1);
    uint8_t first = 0;
    ASSERT_EQ(stream()->Read(stream(), &first, 1), 1);  // the reply is there
    EXPECT_EQ(first, 0x59);                             // low byte of the default profile's 0xAC59

    ASSERT_EQ(stream()->Purge(stream()), 1);
    stream()->SetTimeout(stream(), 200);
    uint8_t second = 0;
    EXPECT_EQ(stream()->Read(stream(), &second, 1), 0);
}

}  // namespace
