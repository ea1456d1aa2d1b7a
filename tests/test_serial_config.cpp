// VekConfigureSerialStream, the configuration string, and the serial
// operations' messages where no line is needed: a port that is closed, a
// configuration that cannot be read, a device that does not exist.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/SerialReset.hpp"
#include "transport/SerialDevice.hpp"
#include "transport/SerialPort.hpp"
#include "transport/Stream.hpp"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

const VekChar* Api(const char16_t* text) { return reinterpret_cast<const VekChar*>(text); }

std::u16string ConfigText() { return reinterpret_cast<const char16_t*>(VekGetStream()->Config); }

void SetConfig(const char16_t* text) {
    vek::CopyText(vek::FromApi(VekGetStream()->Config), 512, text);
}

// "Win32 [code] operation: some text" with any code and a non-empty text.
bool IsSystemErrorLine(const std::string& line, const std::string& operation) {
    return std::regex_match(line, std::regex("Win32 \\[-?[0-9]+\\] " + operation + ": .+"));
}

class SerialConfig : public ::testing::Test {
protected:
    void SetUp() override { vektest::ResetSerialPort(); }
    void TearDown() override { vektest::ResetSerialPort(); }
    vektest::LogCapture log;
};

TEST_F(SerialConfig, WritesPortAndRateAndDerivesTheReplyTimeout) {
    ASSERT_EQ(VekConfigureSerialStream(Api(u"COM3"), 9600), 1);
    const SerialStream* s = VekGetStream();
    EXPECT_EQ(ConfigText(), u"COM3,9600");
    EXPECT_EQ(s->ResponseTimeout, 2000);
    EXPECT_EQ(s->LongTimeout, 3000);
    EXPECT_EQ(s->StartupWait, 2000);
    EXPECT_EQ(s->EraseTimeout, 15000);
    EXPECT_NE(s->RequestBaudRate, nullptr);
    EXPECT_EQ(s->IsOpen(VekGetStream()), 0);  // nothing is opened yet

    const std::pair<uint32_t, int32_t> rates[] = {{4800, 4000}, {19200, 1000}, {38400, 500}, {57600, 500}};
    for (const auto& [rate, timeout] : rates) {
        VekConfigureSerialStream(Api(u"\\\\.\\COM12"), rate);
        EXPECT_EQ(s->ResponseTimeout, timeout) << rate;
    }
    EXPECT_EQ(ConfigText(), u"\\\\.\\COM12,57600");
}

TEST_F(SerialConfig, RateZeroIsRefusedAndChangesNothing) {
    EXPECT_EQ(VekConfigureSerialStream(Api(u"COM3"), 0), 0);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Invalid baudrate 0 for the serial port COM3"});
    EXPECT_EQ(ConfigText(), u"N/A");
    EXPECT_EQ(VekGetStream()->ResponseTimeout, 500);
    EXPECT_EQ(VekGetStream()->IsOpen(VekGetStream()), 0);
}

TEST_F(SerialConfig, ParsesNameAndRateAtTheFirstComma) {
    char16_t name[vek::kPortNameCapacity] = u"old";
    int32_t rate = 0;
    ASSERT_TRUE(vek::ParseSerialConfig(u"COM4,  19200", name, rate));
    EXPECT_EQ(std::u16string(name), u"COM4");
    EXPECT_EQ(rate, 19200);
    ASSERT_TRUE(vek::ParseSerialConfig(u"COM4,-300,9600", name, rate));
    EXPECT_EQ(rate, -300);

    const std::u16string longest(49, u'x');
    EXPECT_TRUE(vek::ParseSerialConfig((longest + u",9600").c_str(), name, rate));
    EXPECT_EQ(std::u16string(name), longest);
    // A name that would have to be cut is refused rather than opening another device.
    EXPECT_FALSE(vek::ParseSerialConfig((longest + u"y,9600").c_str(), name, rate));
    EXPECT_FALSE(vek::ParseSerialConfig(u"COM4,99999999999", name, rate));
    EXPECT_EQ(std::u16string(name), longest);  // a failed parse leaves the values alone
}

TEST_F(SerialConfig, OpenFailsOnAConfigurationItCannotRead) {
    VekConfigureSerialStream(Api(u"COM3"), 9600);
    SerialStream* s = VekGetStream();
    for (const char16_t* config : {u"COM3", u"COM3,x", u"COM3,", u"N/A"}) {
        SetConfig(config);
        EXPECT_EQ(s->Open(s), 0);
        EXPECT_EQ(s->IsOpen(s), 0);
    }
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "Failed to parse serial connection configuration string COM3:",
                               "Failed to parse serial connection configuration string COM3,x:",
                               "Failed to parse serial connection configuration string COM3,:",
                               "Failed to parse serial connection configuration string N/A:",
                           }));
    // Open points the record's context at the port name it reads.
    EXPECT_EQ(s->Context, static_cast<void*>(vek::SerialPort().portName));
}

const VekChar* VEK_CALL Shout(SerialStream*, const VekChar*) { return Api(u"PARSE FAILED: %s"); }

TEST_F(SerialConfig, StreamMessagesGoThroughTheStreamsTranslation) {
    VekConfigureSerialStream(Api(u"COM3"), 9600);
    SerialStream* s = VekGetStream();
    s->TranslateHook = Shout;
    SetConfig(u"COM3");
    EXPECT_EQ(s->Open(s), 0);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"PARSE FAILED: COM3"});
}

TEST_F(SerialConfig, ARateThePortCannotRunAtFailsOpenBeforeTouchingADevice) {
    VekConfigureSerialStream(Api(u"vek-no-such-port"), 9600);
    SetConfig(u"vek-no-such-port,-9600");
    SerialStream* s = VekGetStream();
    EXPECT_EQ(s->Open(s), 0);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"The serial port vek-no-such-port cannot run at -9600 bauds"});
}

TEST_F(SerialConfig, OpeningAMissingDeviceLogsTheSystemErrorAndThe300BaudLine) {
    VekConfigureSerialStream(Api(u"vek-no-such-port"), 9600);
    SerialStream* s = VekGetStream();
    EXPECT_EQ(s->Open(s), 0);
    EXPECT_EQ(s->IsOpen(s), 0);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    // The code is "file not found" on both platforms: ENOENT and ERROR_FILE_NOT_FOUND are 2.
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("Win32 \\[2\\] CreateFile: [^\t\r\n]+"))) << lines[0];
    EXPECT_EQ(lines[1], "Failed to open port at 300 bauds");
}

TEST_F(SerialConfig, WithoutSystemErrorLinesOnlyTheStreamsOwnMessageRemains) {
    VekConfigureSerialStream(Api(u"vek-no-such-port"), 9600);
    vek::SetLogSystemErrors(0);
    SerialStream* s = VekGetStream();
    EXPECT_EQ(s->Open(s), 0);
    uint8_t buffer[4] = {};
    EXPECT_EQ(s->Read(s, buffer, 4), 0);
    EXPECT_EQ(s->Write(s, buffer, 4), 0);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"Failed to open port at 300 bauds"});
}

TEST_F(SerialConfig, ATimeoutOfZeroMeans1200) {
    VekConfigureSerialStream(Api(u"COM3"), 9600);
    SerialStream* s = VekGetStream();
    // No port is open, so applying it fails; the value is kept all the same.
    EXPECT_EQ(s->SetTimeout(s, 700), 0);
    EXPECT_EQ(s->GetTimeout(s), 700);
    s->SetTimeout(s, 0);
    EXPECT_EQ(s->GetTimeout(s), 1200);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(IsSystemErrorLine(lines[0], "SetCommTimeouts")) << lines[0];
}

TEST_F(SerialConfig, EmptyExchangesSucceedWithoutAPort) {
    VekConfigureSerialStream(Api(u"COM3"), 9600);
    SerialStream* s = VekGetStream();
    EXPECT_EQ(s->Write(s, nullptr, 0), 1);
    EXPECT_EQ(s->Read(s, nullptr, 0), 1);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(SerialConfig, FailedWriteAndReadLogTheirErrorAndStatisticsLines) {
    VekConfigureSerialStream(Api(u"COM3"), 9600);
    SerialStream* s = VekGetStream();
    const uint8_t request[3] = {1, 2, 3};
    EXPECT_EQ(s->Write(s, request, 3), 0);
    uint8_t reply[4] = {};
    EXPECT_EQ(s->Read(s, reply, 4), 0);

    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_TRUE(IsSystemErrorLine(lines[0], "SerialWrite")) << lines[0];
    EXPECT_EQ(lines[1], "Write error after 1200 msec (written 0 bytes on , total sent 3 expected)");
    EXPECT_EQ(lines[2], lines[0]);
    EXPECT_EQ(lines[3], "Write stats: CtsHold 0, DsrHold 0, RlsdHold 0, XoffHold 0, XoffSent 0, Eof 0, "
                        "Txim 0, Reserved 0, cbInQue 0, cbOutQue 0");
    EXPECT_TRUE(IsSystemErrorLine(lines[4], "SerialRead")) << lines[4];
    EXPECT_EQ(lines[5], "Read error after 1200 msec (received 0 [B], expected 4 [B], remained 4 [B] and result 0)");
    EXPECT_EQ(lines[6], lines[4]);
    EXPECT_EQ(lines[7], "Read stats: CtsHold 0, DsrHold 0, RlsdHold 0, XoffHold 0, XoffSent 0, Eof 0, "
                        "Txim 0, Reserved 0, cbInQue 0, cbOutQue 0");
}

TEST(SerialStatsLine, ShowsEachBitAndTheQueues) {
    vek::PortStatus status;
    status.ctsHold = true;
    status.eof = true;
    status.txim = true;
    status.reserved = 5;
    status.inQueue = 17;
    status.outQueue = 3;
    EXPECT_EQ(vek::StatsLine(u"Read", status),
              u"Read stats: CtsHold 1, DsrHold 0, RlsdHold 0, XoffHold 0, XoffSent 0, Eof 1, Txim 1, "
              u"Reserved 5, cbInQue 17, cbOutQue 3");
}

TEST(SerialDevicePath, NamesTheDeviceOfAPort) {
#if defined(_WIN32)
    EXPECT_EQ(vek::serial_device::DevicePath(u"COM3"), u"\\\\.\\COM3");
    EXPECT_EQ(vek::serial_device::DevicePath(u"\\\\.\\COM12"), u"\\\\.\\COM12");
#else
    EXPECT_EQ(vek::serial_device::DevicePath(u"ttyS0"), u"/dev/ttyS0");
    EXPECT_EQ(vek::serial_device::DevicePath(u"/dev/pts/7"), u"/dev/pts/7");
#endif
}

}  // namespace
