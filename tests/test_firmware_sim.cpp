// The firmware upload against the simulated governor: whole images, basic
// and extended, end with the governor reconnected and holding exactly the
// image; the restart wait with a governor that does not behave; and the
// simulated governor's own checks of what a host sends it.
#include "VekLib.h"
#include "support/FakeClock.hpp"
#include "support/LogCapture.hpp"
#include "support/ScriptedStream.hpp"
#include "transport/SerialPort.hpp"

#include "Governor.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

using vektest::Bytes;
using vektest::Words;

constexpr std::size_t kImageBytes = 256 * 1024;

Bytes Image(std::size_t n) {
    Bytes image(n);
    for (std::size_t i = 0; i < n; ++i) image[i] = static_cast<uint8_t>((i * 131) ^ (i >> 9));
    return image;
}

// What the library saw at each erase and each read.
std::vector<int32_t> bootLoaderAtErase;
std::vector<int32_t> logSystemErrorsAtRead;
int32_t(VEK_CALL* hostRead)(SerialStream*, uint8_t*, int32_t) = nullptr;

void VEK_CALL RecordStatus(void*, const VekChar* text) {
    if (std::u16string(reinterpret_cast<const char16_t*>(text)) == u"Erasing firmware") {
        bootLoaderAtErase.push_back(VekInBootstrapMode());
    }
}
int32_t VEK_CALL RecordingRead(SerialStream* s, uint8_t* buffer, int32_t count) {
    logSystemErrorsAtRead.push_back(vek::LogSystemErrors());
    return hostRead(s, buffer, count);
}

// A connected simulated governor whose time passes with the library's clock.
class FirmwareSim : public ::testing::Test {
protected:
    void Connect(const char* profile, void (*adjust)(vekgov::DeviceProfile&) = nullptr) {
        vekgov::DeviceProfile p = *vekgov::FindProfile(profile);
        if (adjust) adjust(p);
        host_ = std::make_unique<vekgov::InProcessHost>(p);
        clock_.OnAdvance([this](uint32_t ms) { host_->Model().clock.Advance(ms); });
        bootLoaderAtErase.clear();
        VekSetCallback(VEK_CALLBACK_STATUS, reinterpret_cast<VekCallback>(RecordStatus));
        ASSERT_EQ(VekInit(), 1);
    }
    void TearDown() override {
        VekSetCallback(VEK_CALLBACK_STATUS, nullptr);
        clock_.OnAdvance(nullptr);
    }
    vekgov::GovernorModel& Model() { return host_->Model(); }
    static int32_t Upload(const Bytes& image) {
        return VekUploadFirmwareFromBuffer(image.data(), static_cast<uint32_t>(image.size()));
    }
    void ExpectReconnectedWith(const Bytes& image) {
        EXPECT_EQ(Model().firmware.image, image);
        EXPECT_EQ(Model().firmware.installedImages, 1u);
        EXPECT_TRUE(host_->IsOpen());
        EXPECT_EQ(VekInBootstrapMode(), 0);  // the new firmware runs
        EXPECT_EQ(VekPing(), 1);
    }

    vektest::FakeClock clock_;
    vektest::LogCapture log_;
    std::unique_ptr<vekgov::InProcessHost> host_;
};

TEST_F(FirmwareSim, ExtendedUploadOf256KiBEndsReconnectedWithExactlyTheImage) {
    Connect("default");
    const Bytes image = Image(kImageBytes);
    ASSERT_EQ(Upload(image), 1) << log_.Lines().back();
    ExpectReconnectedWith(image);
    // Restarted into the boot loader to erase (busy twice), then with the new firmware.
    EXPECT_EQ(Model().restart.restarts, 2u);
    EXPECT_EQ(Model().firmware.eraseRequests, 4u);
    EXPECT_EQ(clock_.Sleeps(), (std::vector<uint32_t>{2500, 2500}));
    EXPECT_EQ(bootLoaderAtErase, (std::vector<int32_t>{0, 1}));  // the second erase went to the boot loader
}

TEST_F(FirmwareSim, BasicUploadOf256KiBEndsReconnectedWithExactlyTheImage) {
    Connect("hw5");
    const Bytes image = Image(kImageBytes);
    ASSERT_EQ(Upload(image), 1) << log_.Lines().back();
    ExpectReconnectedWith(image);
    EXPECT_EQ(Model().restart.restarts, 2u);
    EXPECT_EQ(Model().firmware.eraseRequests, 2u);
}

TEST_F(FirmwareSim, PingDuringTheRestartWaitLogsNoPortErrorsAndTheSwitchComesBack) {
    Connect("hw4");
    hostRead = VekGetStream()->Read;
    VekGetStream()->Read = RecordingRead;
    logSystemErrorsAtRead.clear();
    ASSERT_EQ(Upload(Image(100)), 1);
    VekGetStream()->Read = hostRead;
    EXPECT_NE(std::find(logSystemErrorsAtRead.begin(), logSystemErrorsAtRead.end(), 0), logSystemErrorsAtRead.end());
    EXPECT_EQ(logSystemErrorsAtRead.front(), 1);
    EXPECT_EQ(logSystemErrorsAtRead.back(), 1);
    EXPECT_EQ(vek::LogSystemErrors(), 1);
}

TEST_F(FirmwareSim, GovernorThatKeepsAnsweringFailsTheRestartWait) {
    // No boot time: it answers the pings at once at the start rate.
    Connect("hw4", [](vekgov::DeviceProfile& p) { p.bootTimeMs = 0; });
    clock_.SetStep(50);
    EXPECT_EQ(Upload(Image(100)), 0);
    EXPECT_EQ(log_.Lines().back(), "The governor did not stop answering for its restart");
    EXPECT_TRUE(clock_.Sleeps().empty());
    EXPECT_EQ(vek::LogSystemErrors(), 1);
}

// --- The simulated governor's side -------------------------------------------

Bytes Ext(Bytes data) {
    Bytes request = {vekgov::dev::Firmware};
    const Bytes block = vekgov::EncodeBlock(data);
    request.insert(request.end(), block.begin(), block.end());
    return request;
}
Bytes Data(uint32_t offset, const Bytes& bytes) {
    Bytes data = {vekgov::dev::FirmwareData};
    vekgov::AppendLong(data, offset);
    data.insert(data.end(), bytes.begin(), bytes.end());
    return Ext(data);
}
Bytes Terminate(uint32_t size, uint16_t sum) {
    Bytes data = {vekgov::dev::FirmwareTerminate};
    vekgov::AppendLong(data, size);
    vekgov::AppendWord(data, sum);
    return Ext(data);
}

// A governor that needs no restart to erase, erased, asked directly.
class SimulatedErasedFirmware : public ::testing::Test {
protected:
    SimulatedErasedFirmware() : governor_(*vekgov::FindProfile("hw4")) {}
    void SetUp() override { ASSERT_EQ(Ask({vekgov::dev::EraseFirmware}), Words({0})); }

    Bytes Ask(const Bytes& request) {
        governor_.Engine().Feed(request.data(), request.size());
        Bytes reply(governor_.Engine().Available());
        governor_.Engine().Take(reply.data(), reply.size());
        return reply;
    }
    vekgov::GovernorModel& Model() { return governor_.Model(); }

    vekgov::Governor governor_;
};

TEST_F(SimulatedErasedFirmware, BlocksMustFollowOnAndFitTheBlockSize) {
    EXPECT_EQ(Ask(Data(0, Bytes(100, 0x11))), Words({0}));
    EXPECT_EQ(Ask(Data(99, Bytes(10, 0x22))), Words({5}));   // overlaps
    EXPECT_EQ(Ask(Data(101, Bytes(10, 0x22))), Words({5}));  // leaves a gap
    EXPECT_EQ(Ask(Data(100, Bytes(257, 0x22))), Words({5}));  // longer than a block
    EXPECT_EQ(Ask(Data(100, Bytes(10, 0x22))), Words({0}));
    EXPECT_EQ(Model().firmware.incoming.size(), 110u);
}

TEST_F(SimulatedErasedFirmware, TerminateChecksSizeAndSumThenRestartsWithTheImage) {
    const Bytes image(300, 0xF0);
    ASSERT_EQ(Ask(Data(0, Bytes(image.begin(), image.begin() + 256))), Words({0}));
    ASSERT_EQ(Ask(Data(256, Bytes(image.begin() + 256, image.end()))), Words({0}));
    const uint16_t sum = static_cast<uint16_t>(300 * 0xF0);
    EXPECT_EQ(Ask(Terminate(300, static_cast<uint16_t>(sum + 1))), Words({7}));
    EXPECT_EQ(Ask(Terminate(299, sum)), Words({7}));
    EXPECT_TRUE(Model().firmware.image.empty());
    EXPECT_EQ(Ask(Terminate(300, sum)), Words({0}));
    EXPECT_EQ(Model().firmware.image, image);
    EXPECT_TRUE(Ask({vekgov::dev::ReadVersion}).empty());  // restarting
}

}  // namespace
