// The governor's answer to one request, built by a handler. It remembers
// where its last block lies so that an injected fault can damage it.
#pragma once

#include "Framing.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vekgov {

struct GovernorModel;

class Reply {
public:
    explicit Reply(const GovernorModel& model) : model_(model) {}

    void Status(uint16_t status) { AppendWord(bytes_, status); }
    void Word(uint16_t word) { AppendWord(bytes_, word); }
    // Bytes as they are, for replies without block framing.
    void Raw(const Bytes& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
    // Length word, data and checksum; the checksum carries the flag bit while
    // the model's actual errors changed unseen.
    void Block(const uint8_t* data, size_t n);
    void Block(const Bytes& data) { Block(data.data(), data.size()); }

    struct BlockPlace {
        size_t lengthAt = 0;
        size_t checksumAt = 0;
    };
    const std::optional<BlockPlace>& LastBlock() const { return lastBlock_; }
    const Bytes& bytes() const { return bytes_; }
    // For fault injection, which rewrites the finished reply.
    Bytes& MutableBytes() { return bytes_; }
    void Replace(Bytes bytes);

private:
    const GovernorModel& model_;
    Bytes bytes_;
    std::optional<BlockPlace> lastBlock_;
};

}  // namespace vekgov
