// A request with a block reaches the stream in one write: its bytes, and
// the number of writes it takes.
#include "VekLib.h"
#include "link/Commands.hpp"
#include "link/Link.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Records every write the stream receives, call by call.
class WriteRecorder {
public:
    WriteRecorder() : saved_(*VekGetStream()) {
        writes_.clear();
        VekGetStream()->Write = [](SerialStream*, const uint8_t* data, int32_t count) -> int32_t {
            writes_.emplace_back(data, data + count);
            return 1;
        };
    }
    ~WriteRecorder() { *VekGetStream() = saved_; }
    const std::vector<Bytes>& Writes() const { return writes_; }

private:
    static inline std::vector<Bytes> writes_;
    SerialStream saved_;
};

const Bytes kData = {0x01, 0x02, 0x03};

}  // namespace

TEST(LinkRequests, CommandAndBlockGoOutInOneWrite) {
    WriteRecorder recorder;
    ASSERT_TRUE(vek::SendCommandBlock(vek::cmd::Firmware, kData.data(), kData.size()));
    const Bytes expected = {vek::cmd::Firmware, 0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x00};
    EXPECT_EQ(recorder.Writes(), std::vector<Bytes>{expected});
}

TEST(LinkRequests, BlockAloneAndEmptyBlockGoOutInOneWriteEach) {
    WriteRecorder recorder;
    ASSERT_TRUE(vek::SendBlock(kData.data(), kData.size()));
    ASSERT_TRUE(vek::SendBlock(nullptr, 0));
    const std::vector<Bytes> expected = {{0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x00}, {0x02, 0x00, 0x02, 0x00}};
    EXPECT_EQ(recorder.Writes(), expected);
}

TEST(LinkRequests, BlockLargerThanTheLengthWordSendsNothing) {
    WriteRecorder recorder;
    const Bytes tooLarge(vek::kMaxBlockData + 1, 0x11);
    EXPECT_FALSE(vek::SendCommandBlock(vek::cmd::Firmware, tooLarge.data(), tooLarge.size()));
    EXPECT_FALSE(vek::SendBlock(tooLarge.data(), tooLarge.size()));
    EXPECT_TRUE(recorder.Writes().empty());
}
