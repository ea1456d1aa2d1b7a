// The scripted stream that byte-exact tests rely on: it must report every
// deviation from the script instead of hiding it.
#include "support/ScriptedStream.hpp"

#include <gtest/gtest.h>

namespace {

using vektest::Bytes;
using vektest::ScriptedStream;

class ScriptedLine : public ::testing::Test {
protected:
    bool Write(const Bytes& bytes) { return s_->Write(s_, bytes.data(), static_cast<int32_t>(bytes.size())) != 0; }
    std::pair<bool, Bytes> Read(size_t n) {
        Bytes buffer(n, 0);
        const bool ok = s_->Read(s_, buffer.data(), static_cast<int32_t>(n)) != 0;
        return {ok, buffer};
    }

    SerialStream* s_ = VekGetStream();
    ScriptedStream line_;
};

TEST_F(ScriptedLine, ReplyIsReadableOnceItsRequestIsWritten) {
    line_.Expect({0x01, 0x55, 0xAA}).Reply({0x59, 0xAC});
    line_.Expect({0x54, 0x01}).ReplyWord(0x0000);
    Write({0x01, 0x55});
    EXPECT_FALSE(Read(2).first);
    EXPECT_FALSE(line_.Complete());
    Write({0xAA});
    EXPECT_EQ(Read(2), std::make_pair(true, Bytes{0x59, 0xAC}));
    Write({0x54, 0x01});
    EXPECT_EQ(Read(2), std::make_pair(true, Bytes{0x00, 0x00}));
    EXPECT_TRUE(line_.Mismatches().empty());
    EXPECT_TRUE(line_.Complete());
    EXPECT_EQ(line_.Written(), (Bytes{0x01, 0x55, 0xAA, 0x54, 0x01}));
}

TEST_F(ScriptedLine, UnreadReplyOrUnwrittenRequestIsIncomplete) {
    line_.Expect({0x02}).Reply({0x01, 0x02});
    Write({0x02});
    EXPECT_FALSE(line_.Complete());
    Read(1);
    EXPECT_FALSE(line_.Complete());
    Read(1);
    EXPECT_TRUE(line_.Complete());
}

TEST_F(ScriptedLine, RecordsMismatchesAndBytesBeyondTheScript) {
    line_.Expect({0x01, 0x55, 0xAA});
    Write({0x01, 0xAA, 0x55, 0x09});
    EXPECT_EQ(line_.Mismatches(), (std::vector<std::string>{"step 1, byte 2: expected 0x55, written 0xAA",
                                                            "step 1, byte 3: expected 0xAA, written 0x55",
                                                            "written 0x09 after the end of the script"}));
}

TEST_F(ScriptedLine, ReadBeyondTheRepliesFailsAtOnce) {
    line_.Reply({0x05});
    EXPECT_EQ(Read(2), std::make_pair(false, Bytes{0x05, 0x00}));
    EXPECT_FALSE(Read(1).first);
}

TEST_F(ScriptedLine, PurgeDropsReleasedReplies) {
    line_.Expect({0x02}).Reply({0x01, 0x02});
    Write({0x02});
    s_->Purge(s_);
    EXPECT_FALSE(Read(1).first);
    EXPECT_EQ(line_.Purges(), 1);
}

TEST_F(ScriptedLine, RecordsEveryTimeout) {
    s_->SetTimeout(s_, 3000);
    s_->SetTimeout(s_, 500);
    EXPECT_EQ(s_->GetTimeout(s_), 500);
    EXPECT_EQ(line_.Timeouts(), (std::vector<int32_t>{3000, 500}));
}

TEST(ScriptedBlock, LengthWordDataChecksum) {
    EXPECT_EQ(ScriptedStream::Block({0x01, 0x02, 0x03}), (Bytes{0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x00}));
    EXPECT_EQ(ScriptedStream::Block({0x01, 0x02, 0x03}, true), (Bytes{0x05, 0x00, 0x01, 0x02, 0x03, 0x0B, 0x80}));
}

}  // namespace
