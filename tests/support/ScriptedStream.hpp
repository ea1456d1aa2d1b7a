// A stream for byte-exact tests: it is installed into the library's stream
// record and plays a script of expected requests and queued replies.
//
//   ScriptedStream line;
//   line.Expect({0x01, 0x55, 0xAA}).Reply({0x59, 0xAC});
//   line.Expect({0x02}).ReplyBlock({...});
//
// A step's reply becomes readable once all of its expected bytes have been
// written. Written bytes that differ from the script are recorded as
// mismatches; a read finds only what has been released and fails at once
// when that is not enough, like a time-out. ChangeBaudRate asks the
// governor through the record's hook when the configured rate is not the
// start rate, as the serial port does.
#pragma once

#include "VekLib.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

namespace vektest {

using Bytes = std::vector<uint8_t>;

class ScriptedStream {
public:
    explicit ScriptedStream(SerialStream* stream = VekGetStream());
    // Puts the record's previous contents back.
    ~ScriptedStream();
    ScriptedStream(const ScriptedStream&) = delete;
    ScriptedStream& operator=(const ScriptedStream&) = delete;

    ScriptedStream& Expect(Bytes request);
    // Adds to the reply of the last step (a step without request bytes when there is none).
    ScriptedStream& Reply(const Bytes& reply);
    ScriptedStream& ReplyWord(uint16_t word);
    ScriptedStream& ReplyBlock(const Bytes& data, bool flagged = false);

    // Length word, data, checksum (bit 15 set when flagged).
    static Bytes Block(const Bytes& data, bool flagged = false);

    const Bytes& Written() const { return written_; }
    const std::vector<std::string>& Mismatches() const { return mismatches_; }
    // Every time-out set through the stream, in order.
    const std::vector<int32_t>& Timeouts() const { return timeouts_; }
    // All expected bytes written and every reply read.
    bool Complete();
    int Opens() const { return opens_; }
    int Purges() const { return purges_; }

private:
    struct Step {
        Bytes request;
        Bytes reply;
    };
    struct Slots;

    void WriteByte(uint8_t byte);
    void ReleaseFinishedSteps();

    SerialStream* stream_;
    SerialStream saved_;
    std::vector<Step> steps_;
    size_t step_ = 0;      // the step whose request is being written; earlier ones are released
    size_t position_ = 0;  // next expected byte of that request
    std::deque<uint8_t> readable_;
    Bytes written_;
    std::vector<std::string> mismatches_;
    std::vector<int32_t> timeouts_;
    int32_t timeout_;
    bool open_ = false;
    int opens_ = 0;
    int purges_ = 0;
};

// Words as the line carries them, low byte first.
Bytes Words(std::initializer_list<uint16_t> words);
// a followed by b.
Bytes Concat(Bytes a, const Bytes& b);

}  // namespace vektest
