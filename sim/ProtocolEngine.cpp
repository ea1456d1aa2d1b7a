#include "ProtocolEngine.hpp"

#include "Restart.hpp"

#include <algorithm>
#include <utility>

namespace vekgov {

void ProtocolEngine::Register(uint8_t command, CommandHandler handler) { handlers_[command] = std::move(handler); }

void ProtocolEngine::RegisterExtended(uint16_t subCommand, ExtendedHandler handler) {
    extended_[subCommand] = std::move(handler);
}

const ExtendedHandler* ProtocolEngine::FindExtended(uint16_t subCommand) const {
    const auto found = extended_.find(subCommand);
    return found == extended_.end() ? nullptr : &found->second;
}

void ProtocolEngine::Feed(const uint8_t* bytes, size_t n) {
    if (n == 0) return;
    if (Silent()) {
        Drop(bytes, n, "restarting");
        return;
    }
    input_.insert(input_.end(), bytes, bytes + n);
    ProcessInput();
}

void ProtocolEngine::ProcessInput() {
    while (!input_.empty() && !Silent()) {
        const CommandHandler& handler = handlers_[input_[0]];
        if (!handler) {
            // A real governor ignores what it does not understand.
            Drop(input_.data(), 1, "unknown command");
            input_.erase(input_.begin());
            continue;
        }
        PassTime(model_);
        Reply reply(model_);
        const size_t consumed = handler(Request{input_.data(), input_.size()}, model_, reply);
        if (consumed == kNeedMoreBytes) return;
        Answer(std::min(consumed, input_.size()), reply);
    }
}

void ProtocolEngine::Answer(size_t consumed, Reply& reply) {
    ++exchanges_;
    const std::optional<InjectedFault> fault = faults_.Next(input_[0]);
    if (fault) {
        ApplyFault(*fault, reply);
        restarting_ = fault->fault == Fault::Restart;
    }
    log_.Exchange(input_.data(), consumed, reply.bytes(), fault);
    output_.insert(output_.end(), reply.bytes().begin(), reply.bytes().end());
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(consumed));
    // A restarting governor loses whatever else was on its way in.
    if (Silent()) input_.clear();
}

void ProtocolEngine::Drop(const uint8_t* bytes, size_t n, const char* reason) {
    ++model_.framingErrors;
    log_.Dropped(bytes, n, reason);
}

bool ProtocolEngine::Silent() { return restarting_ || Booting(model_); }

size_t ProtocolEngine::Take(uint8_t* buffer, size_t capacity) {
    const size_t n = std::min(capacity, output_.size());
    std::copy_n(output_.begin(), n, buffer);
    output_.erase(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void ProtocolEngine::Reset() {
    input_.clear();
    output_.clear();
    restarting_ = false;
    model_.WakeUp();
}

}  // namespace vekgov
