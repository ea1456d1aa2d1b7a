#include "Reply.hpp"

#include "GovernorModel.hpp"

#include <utility>

namespace vekgov {

void Reply::Block(const uint8_t* data, size_t n) {
    const size_t start = bytes_.size();
    const Bytes block = EncodeBlock(data, n, model_.errorsChangedUnseen);
    bytes_.insert(bytes_.end(), block.begin(), block.end());
    lastBlock_ = BlockPlace{start, bytes_.size() - 2};
}

void Reply::Replace(Bytes bytes) {
    bytes_ = std::move(bytes);
    lastBlock_.reset();
}

}  // namespace vekgov
