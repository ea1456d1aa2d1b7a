// The firmware upload on the line: the exact bytes of the erase and of both
// transfers, the pieces handed to the port, progress and time-outs, and the
// message of every failure with nothing sent after it.
#include "VekLib.h"
#include "support/FakeClock.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::Words;
using vektest::ScriptedStream;
using Lines = std::vector<std::string>;

constexpr uint16_t kOk = 0;
constexpr uint16_t kRestarting = 9;
constexpr uint16_t kBasic = 0x0000;
constexpr uint16_t kExtended = 0x0100;  // CommandsInfo bit 8

Bytes Long(uint32_t v) { return Words({static_cast<uint16_t>(v), static_cast<uint16_t>(v >> 16)}); }
Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
uint16_t Sum(const Bytes& bytes) {
    uint16_t sum = 0;
    for (uint8_t b : bytes) sum = static_cast<uint16_t>(sum + b);
    return sum;
}
Bytes Image(std::size_t n) {
    Bytes image(n);
    for (std::size_t i = 0; i < n; ++i) image[i] = static_cast<uint8_t>(i * 7 + 0xA3);
    return image;
}
Bytes Slice(const Bytes& image, std::size_t from, std::size_t n) {
    return Bytes(image.begin() + static_cast<std::ptrdiff_t>(from),
                 image.begin() + static_cast<std::ptrdiff_t>(from + n));
}

Bytes Ext(const Bytes& data) { return Concat({{0x33}, ScriptedStream::Block(data)}); }
const Bytes kExtErase = Ext({0x02});
Bytes ExtData(uint32_t offset, const Bytes& data) { return Ext(Concat({{0x03}, Long(offset), data})); }
Bytes ExtTerminate(uint32_t size, uint16_t sum) { return Ext(Concat({{0x04}, Long(size), Words({sum})})); }
Bytes QueryAnswer(uint16_t value) { return Words({value, static_cast<uint16_t>((value & 0xFF) + (value >> 8))}); }
Bytes BasicStream(const Bytes& image) {
    const Bytes size = Long(static_cast<uint32_t>(image.size() + 2));
    return Concat({{0x38}, size, image, Words({Sum(Concat({size, image}))})});
}

void ScriptExtendedStart(ScriptedStream& line, uint16_t blockSize) {
    line.Expect(kExtErase).ReplyWord(kOk);
    line.Expect(Ext({0x00})).Reply(QueryAnswer(0x1234));
    line.Expect(Ext({0x01})).Reply(QueryAnswer(blockSize));
}

// The governor restarts: the ping finds it silent, then it answers a whole
// connection (hardware 10: no identification) at the start rate.
void ScriptRestart(ScriptedStream& line, uint16_t commandsInfo) {
    line.Expect({0x06});
    line.Expect({0x01, 0x55, 0xAA}).ReplyWord(0xAA55);
    line.Expect({0x02}).ReplyBlock(Words({1003, 2001, 0, 0, 0, 0, 128}));
    line.Expect({0x09}).ReplyBlock(Words({0, 0, 0, 0, 0, 0, 1, 0, commandsInfo, 0, 0, 0, 0, 0, 0, 0}));
    line.Expect({0x05, 0x56, 0x4E, 0xA4, 0x00}).ReplyWord(kOk);
}

void SetCommandsInfo(uint16_t commandsInfo) {
    VekStruct& device = *VekGetVekStruct();
    device = VekStruct{};
    device.ChecksumReplyLength = 32;
    device.ChecksumReply[12] = 1;  // not in the boot loader
    device.ChecksumReply[16] = static_cast<uint8_t>(commandsInfo);
    device.ChecksumReply[17] = static_cast<uint8_t>(commandsInfo >> 8);
}

// Every write's length, the progress, and how many writes had been made at
// each idle call.
std::vector<int32_t> pieces;
std::vector<uint16_t> progress;
std::vector<std::size_t> writesAtIdle;
void (*onIdle)() = nullptr;
int32_t(VEK_CALL* scriptedWrite)(SerialStream*, const uint8_t*, int32_t) = nullptr;
int32_t writesBeforeFailure = -1;  // negative: writes never fail

int32_t VEK_CALL RecordingWrite(SerialStream* s, const uint8_t* data, int32_t count) {
    pieces.push_back(count);
    if (writesBeforeFailure == 0) return 0;
    if (writesBeforeFailure > 0) --writesBeforeFailure;
    return scriptedWrite(s, data, count);
}
void VEK_CALL RecordProgress(void*, const VekChar* text, uint16_t permille) {
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), u"Uploading firmware");
    progress.push_back(permille);
}
void VEK_CALL RecordIdle(void*) {
    writesAtIdle.push_back(pieces.size());
    if (onIdle) onIdle();
}

class FirmwareLine : public ::testing::Test {
protected:
    void SetUp() override {
        SetCommandsInfo(kBasic);
        ASSERT_EQ(VekGetStream()->Open(VekGetStream()), 1);
        scriptedWrite = VekGetStream()->Write;
        VekGetStream()->Write = RecordingWrite;
        writesBeforeFailure = -1;
        pieces.clear();
        progress.clear();
        writesAtIdle.clear();
        onIdle = nullptr;
        VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, reinterpret_cast<VekCallback>(RecordProgress));
        VekSetCallback(VEK_CALLBACK_IDLE, reinterpret_cast<VekCallback>(RecordIdle));
    }
    void TearDown() override {
        VekSetCallback(VEK_CALLBACK_FIRMWARE_PROGRESS, nullptr);
        VekSetCallback(VEK_CALLBACK_IDLE, nullptr);
    }
    void ExpectScriptFollowed() {
        EXPECT_TRUE(line_.Mismatches().empty()) << line_.Mismatches().front();
        EXPECT_TRUE(line_.Complete());
    }
    static int32_t Upload(const Bytes& image) {
        return VekUploadFirmwareFromBuffer(image.data(), static_cast<uint32_t>(image.size()));
    }
    Lines LinesStartingWith(std::initializer_list<const char*> starts) const {
        Lines found;
        for (const std::string& line : log_.Lines()) {
            for (const char* start : starts) {
                if (line.rfind(start, 0) == 0) found.push_back(line);
            }
        }
        return found;
    }

    ScriptedStream line_;
    vektest::FakeClock clock_;
    vektest::LogCapture log_;
};

TEST_F(FirmwareLine, BasicImageOf3000BytesGoesOutIn1024_1024_957AndTheChecksumWord) {
    const Bytes image = Image(3000);
    line_.Expect({0x37}).ReplyWord(kOk);
    line_.Expect(BasicStream(image)).ReplyWord(kOk);
    ScriptRestart(line_, kBasic);

    EXPECT_EQ(Upload(image), 1);
    ExpectScriptFollowed();
    // The erase byte, then 5 + 3000 + 2 bytes; the size field reads 3002.
    ASSERT_GE(pieces.size(), 5u);
    EXPECT_EQ(std::vector<int32_t>(pieces.begin(), pieces.begin() + 5), (std::vector<int32_t>{1, 1024, 1024, 957, 2}));
    EXPECT_EQ(Bytes(line_.Written().begin() + 1, line_.Written().begin() + 6), (Bytes{0x38, 0xBA, 0x0B, 0x00, 0x00}));
    EXPECT_EQ(progress, (std::vector<uint16_t>{339, 681, 1000}));
    ASSERT_GE(writesAtIdle.size(), 3u);  // before each piece (the restart's ping calls it too)
    EXPECT_EQ(std::vector<std::size_t>(writesAtIdle.begin(), writesAtIdle.begin() + 3),
              (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(clock_.Sleeps(), std::vector<uint32_t>{2500});
}

TEST_F(FirmwareLine, ExtendedImageOf600BytesGoesOutInBlocksOf256_256_88ThenTerminates) {
    SetCommandsInfo(kExtended);
    const Bytes image = Image(600);
    ScriptExtendedStart(line_, 256);
    line_.Expect(ExtData(0, Slice(image, 0, 256))).ReplyWord(kOk);
    line_.Expect(ExtData(256, Slice(image, 256, 256))).ReplyWord(kOk);
    line_.Expect(ExtData(512, Slice(image, 512, 88))).ReplyWord(kOk);
    line_.Expect(ExtTerminate(600, Sum(image))).ReplyWord(kOk);
    ScriptRestart(line_, kExtended);

    EXPECT_EQ(Upload(image), 1);
    ExpectScriptFollowed();
    EXPECT_EQ(progress, (std::vector<uint16_t>{426, 853, 1000}));
    EXPECT_EQ(LinesStartingWith({"Erasing", "Uploading", "Getting", "Terminating", "Waiting"}),
              (Lines{"Erasing firmware for upload...", "Erasing firmware...", "Uploading firmware (extended)...",
                     "Getting extended upload firmware info...", "Getting upload firmware block size...",
                     "Terminating upload firmware...", "Waiting for reset..."}));
}

TEST_F(FirmwareLine, EraseAndTransferRunUnderTheirOwnTimeoutsWhichArePoppedAgain) {
    const Bytes image = Image(10);
    line_.Expect({0x37}).ReplyWord(kOk);
    line_.Expect(BasicStream(image)).ReplyWord(kOk);
    ScriptRestart(line_, kBasic);
    VekGetStream()->ResponseTimeout = 700;
    EXPECT_EQ(Upload(image), 1);
    // Erase, transfer, the ping's own push and pop, and the connection's reply time-out.
    EXPECT_EQ(line_.Timeouts(), (std::vector<int32_t>{15000, 1200, 3000, 1200, 700, 1200, 700}));
}

TEST_F(FirmwareLine, EmptyImageSendsTheHeadersAndReportsNoProgress) {
    line_.Expect({0x37}).ReplyWord(kOk);
    line_.Expect({0x38, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00}).ReplyWord(kOk);
    ScriptRestart(line_, kExtended);  // the governor comes back with the extended protocol
    ScriptExtendedStart(line_, 256);
    line_.Expect(ExtTerminate(0, 0)).ReplyWord(kOk);
    ScriptRestart(line_, kExtended);
    EXPECT_EQ(VekUploadFirmwareFromBuffer(nullptr, 0), 1);
    EXPECT_EQ(VekUploadFirmwareFromBuffer(nullptr, 0), 1);
    ExpectScriptFollowed();
    EXPECT_TRUE(progress.empty());
}

TEST_F(FirmwareLine, BlockSizeAboveTheBufferIsCutToTheBuffer) {
    SetCommandsInfo(kExtended);
    const Bytes image = Image(1500);
    ScriptExtendedStart(line_, 2000);
    line_.Expect(ExtData(0, Slice(image, 0, 1027))).ReplyWord(kOk);
    line_.Expect(ExtData(1027, Slice(image, 1027, 473))).ReplyWord(kOk);
    line_.Expect(ExtTerminate(1500, Sum(image))).ReplyWord(kOk);
    ScriptRestart(line_, kExtended);
    EXPECT_EQ(Upload(image), 1);
    ExpectScriptFollowed();
    EXPECT_TRUE(log_.Contains("Upload block size 2000 exceeds the block buffer, blocks of 1027 bytes are sent"));
}

TEST_F(FirmwareLine, ExtendedEraseAnsweredBusyIsRepeatedUntilDone) {
    SetCommandsInfo(kExtended);
    line_.Expect(kExtErase).ReplyWord(1);
    line_.Expect(kExtErase).ReplyWord(1);
    line_.Expect(kExtErase).ReplyWord(kOk);
    EXPECT_EQ(VekEraseFirmware(), 1);
    ExpectScriptFollowed();
    EXPECT_EQ(line_.Timeouts(), (std::vector<int32_t>{15000, 1200}));
}

TEST_F(FirmwareLine, EraseThatRestartsTheGovernorIsFollowedBySecondEraseBeforeTheTransfer) {
    const Bytes image = Image(100);
    line_.Expect({0x37}).ReplyWord(kRestarting);
    ScriptRestart(line_, kBasic);
    line_.Expect({0x37}).ReplyWord(kOk);
    line_.Expect(BasicStream(image)).ReplyWord(kOk);
    ScriptRestart(line_, kBasic);
    EXPECT_EQ(Upload(image), 1);
    ExpectScriptFollowed();
    EXPECT_EQ(LinesStartingWith({"Erasing", "Waiting", "Uploading"}),
              (Lines{"Erasing firmware for upload...", "Erasing firmware...", "Waiting for reset...",
                     "Erasing firmware...", "Uploading firmware (basic)...", "Waiting for reset..."}));
}

TEST_F(FirmwareLine, GovernorThatNeverComesBackFailsAfterTheStartupWait) {
    clock_.SetStep(100);
    line_.Expect({0x37}).ReplyWord(kRestarting).Expect({0x06});
    EXPECT_EQ(VekEraseFirmware(), 0);
    EXPECT_EQ(log_.Lines().back(), "Timeout on expecting governor startup");
    EXPECT_GE(clock_.NowMs(), 2500u + 2000u);
    EXPECT_GT(LinesStartingWith({"Initializing..."}).size(), 1u);
    EXPECT_FALSE(VekGetStream()->IsOpen(VekGetStream()));

    // Without a startup wait there is still one attempt.
    VekGetStream()->StartupWait = 0;
    ASSERT_EQ(VekGetStream()->Open(VekGetStream()), 1);
    line_.Expect({0x37}).ReplyWord(kRestarting).Expect({0x06});
    vektest::LogCapture log;
    EXPECT_EQ(VekEraseFirmware(), 0);
    int attempts = 0;
    for (const std::string& line : log.Lines()) attempts += line == "Initializing...";
    EXPECT_EQ(attempts, 1);
}

// Each failure logs its line and sends nothing after it (a write beyond the
// script would show as a mismatch).
TEST_F(FirmwareLine, EachFailureNamesItsStep) {
    const Bytes image = Image(10);
    struct Case {
        uint16_t commandsInfo;
        void (*script)(ScriptedStream&, const Bytes&);
        Lines lastLines;
    };
    const Case cases[] = {
        {kBasic, [](ScriptedStream& l, const Bytes&) { l.Expect({0x37}).ReplyWord(1); },
         {"Erasing firmware...", "Failed to erase the firmware, status 1"}},
        {kBasic,
         [](ScriptedStream& l, const Bytes&) {
             l.Expect({0x37}).ReplyWord(kRestarting);
             ScriptRestart(l, kBasic);
             l.Expect({0x37}).ReplyWord(3);
         },
         {"Failed to erase the firmware, status 3", "Failed to launch the upload (status 3)"}},
        {kBasic,
         [](ScriptedStream& l, const Bytes& i) {
             l.Expect({0x37}).ReplyWord(kOk);
             l.Expect(BasicStream(i)).ReplyWord(4);
         },
         {"Uploading firmware (basic)...", "Upload status signaled an error (4)"}},
        {kBasic,
         [](ScriptedStream& l, const Bytes& i) {
             l.Expect({0x37}).ReplyWord(kOk);
             l.Expect(BasicStream(i));
         },
         {"Uploading firmware (basic)...", "Failed to read upload status"}},
        {kExtended,
         [](ScriptedStream& l, const Bytes&) {
             l.Expect(kExtErase).ReplyWord(kOk);
             l.Expect(Ext({0x00})).Reply(Words({0x0046, 0x0047}));
         },
         {"Checksum error: expected 0x0046, received 0x0047 (mode 1, size 2)",
          "Failed to read the firmware extended upload info"}},
        {kExtended,
         [](ScriptedStream& l, const Bytes&) {
             l.Expect(kExtErase).ReplyWord(kOk);
             l.Expect(Ext({0x00})).Reply(QueryAnswer(1));
             l.Expect(Ext({0x01}));
         },
         {"Getting upload firmware block size...", "Failed to read the firmware upload block size"}},
        {kExtended, [](ScriptedStream& l, const Bytes&) { ScriptExtendedStart(l, 0); },
         {"Getting upload firmware block size...", "Invalid firmware upload block size 0"}},
        {kExtended,
         [](ScriptedStream& l, const Bytes& i) {
             ScriptExtendedStart(l, 256);
             l.Expect(ExtData(0, i)).ReplyWord(5);
         },
         {"Getting upload firmware block size...", "Failed to upload data block (status 5)"}},
        {kExtended,
         [](ScriptedStream& l, const Bytes& i) {
             ScriptExtendedStart(l, 256);
             l.Expect(ExtData(0, i)).ReplyWord(kOk);
             l.Expect(ExtTerminate(10, Sum(i))).ReplyWord(7);
         },
         {"Terminating upload firmware...", "Failed to terminated the firmware upload (status 7)"}},
        {kExtended,
         [](ScriptedStream& l, const Bytes& i) {
             ScriptExtendedStart(l, 256);
             l.Expect(ExtData(0, i)).ReplyWord(kOk);
             l.Expect(ExtTerminate(10, Sum(i)));
         },
         {"Terminating upload firmware...", "Failed to read the firmware upload terminate status"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastLines.back());
        SetCommandsInfo(c.commandsInfo);
        ScriptedStream line;
        ASSERT_EQ(VekGetStream()->Open(VekGetStream()), 1);
        vektest::LogCapture log;
        c.script(line, image);
        EXPECT_EQ(Upload(image), 0);
        EXPECT_TRUE(line.Mismatches().empty()) << line.Mismatches().front();
        EXPECT_TRUE(line.Complete());
        const Lines lines = log.Lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(Lines(lines.end() - 2, lines.end()), c.lastLines);
    }
}

TEST_F(FirmwareLine, PieceThatCannotBeWrittenStopsTheStream) {
    const Bytes image = Image(3000);
    line_.Expect({0x37}).ReplyWord(kOk);
    line_.Expect(BasicStream(image));
    writesBeforeFailure = 2;  // the erase byte and the first piece go out
    EXPECT_EQ(Upload(image), 0);
    EXPECT_EQ(log_.Lines().back(), "Timeout occured during upload");
    EXPECT_EQ(pieces, (std::vector<int32_t>{1, 1024, 1024}));
}

// --- Files ---------------------------------------------------------------------

std::filesystem::path shrinking;

int32_t UploadFile(const std::filesystem::path& path) {
    const std::u16string name = path.u16string();
    return VekUploadFirmwareFromFile(reinterpret_cast<const VekChar*>(name.c_str()));
}

TEST_F(FirmwareLine, FileThatCannotBeOpenedIsReportedBeforeAnythingIsErased) {
    vektest::TempDir dir;
    for (const std::filesystem::path& path : {dir / "missing.bin", dir.path()}) {
        EXPECT_EQ(UploadFile(path), 0);
        EXPECT_EQ(log_.Lines().back(), "Failed to open file " + path.string());
    }
    EXPECT_TRUE(line_.Written().empty());
}

TEST_F(FirmwareLine, FileThatEndsEarlyFailsTheUploadBeforeTheChecksumIsSent) {
    vektest::TempDir dir;
    const Bytes image = Image(20000);
    shrinking = dir / "image.bin";
    std::ofstream(shrinking, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 20000);
    line_.Expect({0x37}).ReplyWord(kOk);
    line_.Expect(BasicStream(image)).ReplyWord(kOk);
    onIdle = [] { std::filesystem::resize_file(shrinking, 5000); };  // after the first piece

    EXPECT_EQ(UploadFile(shrinking), 0);
    const std::string last = log_.Lines().back();
    EXPECT_EQ(last.rfind("Failed to read the firmware file after ", 0), 0u) << last;
    EXPECT_EQ(last.substr(last.size() - 15), " of 20000 bytes") << last;
    EXPECT_LT(line_.Written().size(), 1u + 5 + 20000);
    EXPECT_TRUE(line_.Mismatches().empty());
}

}  // namespace
