// The POSIX serial port seen from the other end of a pseudo-terminal that
// the test holds itself: line settings, partial replies, hang-ups and the
// exclusive use of the device.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/SerialReset.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// The test's own end of a pseudo-terminal; the library opens the other.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        char name[128] = {};
        if (ptsname_r(master_, name, sizeof name) == 0) path_ = name;
        // Keeps the line alive while the library opens and closes it.
        peer_ = open(name, O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal() {
        CloseMaster();
        if (peer_ >= 0) close(peer_);
    }
    bool Ready() const { return master_ >= 0 && peer_ >= 0; }
    const std::string& Path() const { return path_; }
    std::u16string Config(const char* rate) const {
        const std::string text = path_ + "," + rate;
        return std::u16string(text.begin(), text.end());
    }
    void Send(std::initializer_list<uint8_t> bytes) {
        const std::vector<uint8_t> data(bytes);
        SendBytes(data.data(), data.size());
    }
    void SendBytes(const uint8_t* bytes, size_t count) {
        ASSERT_EQ(write(master_, bytes, count), static_cast<ssize_t>(count));
    }
    // Whatever the library has written so far.
    std::vector<uint8_t> Received() {
        std::vector<uint8_t> bytes(256);
        fcntl(master_, F_SETFL, O_NONBLOCK);
        const ssize_t n = read(master_, bytes.data(), bytes.size());
        bytes.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return bytes;
    }
    // The settings of the library's side, as the master sees them.
    termios LineSettings() const {
        termios settings{};
        tcgetattr(master_, &settings);
        return settings;
    }
    void CloseMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int peer_ = -1;
    std::string path_;
};

class SerialPosix : public ::testing::Test {
protected:
    void SetUp() override {
        vektest::ResetSerialPort();
        if (!pty.Ready()) GTEST_SKIP() << "no pseudo-terminal here";
    }
    void TearDown() override { vektest::ResetSerialPort(); }

    // Configures the stream for the test's pseudo-terminal, then sets Config.
    bool OpenAt(const char* rate) {
        VekConfigureSerialStream(reinterpret_cast<const VekChar*>(u"unused"), 9600);
        const std::u16string config = pty.Config(rate);
        std::copy(config.begin(), config.end() + 1, reinterpret_cast<char16_t*>(stream()->Config));
        return stream()->Open(stream()) == 1;
    }
    SerialStream* stream() { return VekGetStream(); }

    PseudoTerminal pty;
    vektest::LogCapture log;
};

TEST_F(SerialPosix, OpenWakesTheGovernorAndLeavesARaw8N1LineAt9600) {
    ASSERT_TRUE(OpenAt("19200")) << log.RawText();
    EXPECT_EQ(pty.Received(), (std::vector<uint8_t>{0x00, 0x00}));

    const termios settings = pty.LineSettings();
    EXPECT_EQ(cfgetospeed(&settings), B9600);  // the configured rate comes with ChangeBaudRate
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | INPCK), 0u);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
}

TEST_F(SerialPosix, AReadGathersAReplyArrivingInPieces) {
    ASSERT_TRUE(OpenAt("9600"));
    stream()->SetTimeout(stream(), 5000);
    pty.Send({0x11, 0x22});
    std::thread rest([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.Send({0x33, 0x44});
    });
    uint8_t reply[4] = {};
    EXPECT_EQ(stream()->Read(stream(), reply, 4), 1);
    rest.join();
    EXPECT_EQ(std::vector<uint8_t>(reply, reply + 4), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44}));
}

// After the first part of a long reply the read sleeps through the wire time
// of the rest; pieces that come meanwhile, and those that come later, all
// end up in the reply, and a rest that never comes fails at the time-out.
TEST_F(SerialPosix, TheRestOfALongReplyIsWaitedForWithinTheTimeout) {
    ASSERT_TRUE(OpenAt("9600"));
    stream()->SetTimeout(stream(), 5000);
    constexpr size_t kPiece = 100;
    std::vector<uint8_t> sent;
    for (size_t i = 0; i < 2 + 3 * kPiece; ++i) sent.push_back(static_cast<uint8_t>(i * 7));
    pty.Send({sent[0], sent[1]});
    std::thread rest([this, &sent] {
        for (size_t piece = 0; piece < 3; ++piece) {
            std::this_thread::sleep_for(std::chrono::milliseconds(piece == 2 ? 400 : 20));
            pty.SendBytes(sent.data() + 2 + piece * kPiece, kPiece);
        }
    });
    std::vector<uint8_t> reply(sent.size());
    EXPECT_EQ(stream()->Read(stream(), reply.data(), static_cast<int32_t>(reply.size())), 1);
    rest.join();
    EXPECT_EQ(reply, sent);

    stream()->SetTimeout(stream(), 100);
    pty.Send({0x01, 0x02});
    EXPECT_EQ(stream()->Read(stream(), reply.data(), 202), 0);
    EXPECT_EQ(log.Lines().front(),
              "Read error after 100 msec (received 2 [B], expected 202 [B], remained 200 [B] and result 1)");
}

TEST_F(SerialPosix, AReplyCutShortKeepsWhatArrivedAndLogsTheRest) {
    ASSERT_TRUE(OpenAt("9600"));
    stream()->SetTimeout(stream(), 300);
    pty.Send({0xAB, 0xCD});
    uint8_t reply[4] = {};
    EXPECT_EQ(stream()->Read(stream(), reply, 4), 0);
    EXPECT_EQ(reply[0], 0xAB);
    EXPECT_EQ(reply[1], 0xCD);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "Read error after 300 msec (received 2 [B], expected 4 [B], remained 2 [B] and result 1)",
                               "Read stats: CtsHold 0, DsrHold 0, RlsdHold 0, XoffHold 0, XoffSent 0, Eof 0, Txim 0, "
                               "Reserved 0, cbInQue 0, cbOutQue 0",
                           }));
}

TEST_F(SerialPosix, BytesThatArrivedEarlyServeLaterReadsUntilAPurge) {
    ASSERT_TRUE(OpenAt("9600"));
    stream()->SetTimeout(stream(), 300);
    pty.Send({0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    uint8_t word[2] = {};
    ASSERT_EQ(stream()->Read(stream(), word, 2), 1);
    EXPECT_EQ(std::vector<uint8_t>(word, word + 2), (std::vector<uint8_t>{0x01, 0x02}));
    ASSERT_EQ(stream()->Read(stream(), word, 2), 1);
    EXPECT_EQ(std::vector<uint8_t>(word, word + 2), (std::vector<uint8_t>{0x03, 0x04}));

    ASSERT_EQ(stream()->Purge(stream()), 1);
    EXPECT_EQ(stream()->Read(stream(), word, 2), 0);  // 0x05 0x06 went with the purge
    EXPECT_EQ(log.Lines().at(0),
              "Read error after 300 msec (received 0 [B], expected 2 [B], remained 2 [B] and result 1)");
}

TEST_F(SerialPosix, AHangUpFailsTheReadAtOnceWithTheSystemError) {
    ASSERT_TRUE(OpenAt("9600"));
    stream()->SetTimeout(stream(), 60000);  // a read that waited for it would hang the test
    pty.CloseMaster();
    uint8_t reply[2] = {};
    EXPECT_EQ(stream()->Read(stream(), reply, 2), 0);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("Win32 [5] SerialRead: ", 0), 0u) << lines[0];  // EIO
    EXPECT_EQ(lines[1], "Read error after 60000 msec (received 0 [B], expected 2 [B], remained 2 [B] and result 0)");
}

TEST_F(SerialPosix, ARateTermiosCannotSetFailsOpenBeforeTheWakeUp) {
    EXPECT_FALSE(OpenAt("14400"));
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"The serial port " + pty.Path() + " cannot run at 14400 bauds"});
    EXPECT_TRUE(pty.Received().empty());
}

TEST_F(SerialPosix, ThePortIsExclusiveWhileOpenAndReleasedByClose) {
    ASSERT_TRUE(OpenAt("9600"));
    const int second = open(pty.Path().c_str(), O_RDWR | O_NOCTTY);
    if (second < 0) {
        EXPECT_EQ(errno, EBUSY);
    } else {
        // A privileged process may open it anyway; the mark is there all the same.
        int exclusive = 0;
        ASSERT_EQ(ioctl(second, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1);
        close(second);
    }

    VekClose();
    const int third = open(pty.Path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(third, 0) << "the closed port stays locked";
    int exclusive = 1;
    ASSERT_EQ(ioctl(third, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    close(third);
}

// Another program that holds the port (even one of the superuser, which the
// exclusive mode lets through) keeps the library off it: the open fails at
// once with a clear line and not one byte reaches the line.
TEST_F(SerialPosix, APortLockedByAnotherProgramIsLeftAlone) {
    const int other = open(pty.Path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(OpenAt("9600"));
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u) << log.RawText();
    EXPECT_EQ(lines[1], "The serial port " + pty.Path() + " is in use by another program");
    EXPECT_EQ(lines[2], "Failed to open port at 300 bauds");
    EXPECT_TRUE(pty.Received().empty());

    close(other);
    EXPECT_TRUE(OpenAt("9600")) << "the port is free once the other program has let go";
}

}  // namespace
