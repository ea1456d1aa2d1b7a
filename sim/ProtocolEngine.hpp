// The governor's side of the link: request bytes in, reply bytes out.
// Handlers are registered per command byte by the files of each device area
// (see handlers/Handlers.hpp); the engine buffers the input, hands every
// complete request to its handler, lets the fault plan damage the reply and
// writes one log line per exchange.
#pragma once

#include "ExchangeLog.hpp"
#include "Faults.hpp"
#include "GovernorModel.hpp"
#include "Reply.hpp"
#include "Request.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>

namespace vekgov {

// Returns kNeedMoreBytes while the request is incomplete, else the number of
// bytes it took (at least the command byte).
using CommandHandler = std::function<size_t(const Request&, GovernorModel&, Reply&)>;
constexpr size_t kNeedMoreBytes = 0;

// A sub-command of the extended command; receives the block data after the
// sub-command word. The block's framing is checked before it is called.
using ExtendedHandler = std::function<void(const uint8_t* args, size_t n, GovernorModel&, Reply&)>;

class ProtocolEngine {
public:
    explicit ProtocolEngine(GovernorModel& model) : model_(model) {}
    ProtocolEngine(const ProtocolEngine&) = delete;
    ProtocolEngine& operator=(const ProtocolEngine&) = delete;

    void Register(uint8_t command, CommandHandler handler);
    void RegisterExtended(uint16_t subCommand, ExtendedHandler handler);
    const ExtendedHandler* FindExtended(uint16_t subCommand) const;

    void Feed(const uint8_t* bytes, size_t n);
    size_t Available() const { return output_.size(); }
    size_t Take(uint8_t* buffer, size_t capacity);

    // The wake-up: buffered input and unread replies are gone, a restart is
    // over, and the link state starts afresh.
    void Reset();
    // Unread replies are gone (the host purged its receive queue).
    void DiscardOutput() { output_.clear(); }
    // Bytes that never reach the governor intact (e.g. sent at the wrong rate).
    void Ignore(const uint8_t* bytes, size_t n, const char* reason) { Drop(bytes, n, reason); }

    GovernorModel& Model() { return model_; }
    FaultPlan& Faults() { return faults_; }
    const ExchangeLog& Log() const { return log_; }
    ExchangeLog& Log() { return log_; }
    size_t ExchangeCount() const { return exchanges_; }
    // See GovernorModel::framingErrors.
    size_t FramingErrors() const { return model_.framingErrors; }
    bool Restarting() const { return restarting_; }

private:
    void ProcessInput();
    // Logs bytes that never made a request, and counts them as a framing error.
    void Drop(const uint8_t* bytes, size_t n, const char* reason);
    void Answer(size_t consumed, Reply& reply);
    // Restarting after a fault, or booting after a restart of the model's own.
    bool Silent();

    GovernorModel& model_;
    std::array<CommandHandler, 256> handlers_{};
    std::map<uint16_t, ExtendedHandler> extended_;
    Bytes input_;
    std::deque<uint8_t> output_;
    FaultPlan faults_;
    ExchangeLog log_;
    size_t exchanges_ = 0;
    bool restarting_ = false;
};

}  // namespace vekgov
