// Faults the simulated governor can inject into its replies, and the plan
// that says when. The table lists every fault once, so that a test or the
// command line can walk all of them or pick one by name.
#pragma once

#include "Reply.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vekgov {

enum class Fault : uint8_t {
    Silence,          // no reply at all
    CutShort,         // the last `argument` bytes are missing
    WrongChecksum,    // the block checksum is off by `argument` (bit 15 kept)
    ChecksumFlag,     // bit 15 of the block checksum is set
    RefusingStatus,   // the status word `argument` instead of the reply
    Garbage,          // as many bytes of value `argument` as the reply had (at least 2)
    OversizedLength,  // the block's length word becomes `argument`
    Restart,          // no reply, and none to anything until the next wake-up
};

struct FaultInfo {
    Fault fault;
    const char* name;
    uint32_t defaultArgument;
};

inline constexpr std::array<FaultInfo, 8> kFaults = {{
    {Fault::Silence, "silence", 0},
    {Fault::CutShort, "cut-short", 1},
    {Fault::WrongChecksum, "wrong-checksum", 1},
    {Fault::ChecksumFlag, "checksum-flag", 0},
    {Fault::RefusingStatus, "refusing-status", 0x0001},
    {Fault::Garbage, "garbage", 0xEE},
    {Fault::OversizedLength, "oversized-length", 0xFFFF},
    {Fault::Restart, "restart", 0},
}};

const FaultInfo& InfoOf(Fault fault);
inline const char* FaultName(Fault fault) { return InfoOf(fault).name; }
std::optional<Fault> FaultByName(std::string_view name);

// One fault with its argument; without one the table's default applies.
struct InjectedFault {
    InjectedFault(Fault kind, std::optional<uint32_t> arg = std::nullopt) : fault(kind), argument(arg) {}
    uint32_t Argument() const { return argument.value_or(InfoOf(fault).defaultArgument); }

    Fault fault;
    std::optional<uint32_t> argument;
};

// Rewrites a finished reply. Checksum and length faults leave a reply
// without a block as it is.
void ApplyFault(const InjectedFault& fault, Reply& reply);

class FaultPlan {
public:
    // The n-th exchange from now, 1 being the next one.
    void AtExchange(size_t n, InjectedFault fault);
    // The next `times` exchanges of this command byte.
    void OnCommand(uint8_t command, InjectedFault fault, size_t times = 1);
    void Clear() { rules_.clear(); }
    bool Empty() const { return rules_.empty(); }

    // Called once per exchange: the fault for it, if any. When several rules
    // meet the same exchange the earliest added wins; a countdown that ends
    // on it is used up all the same.
    std::optional<InjectedFault> Next(uint8_t command);

private:
    struct Rule {
        InjectedFault fault;
        std::optional<uint8_t> command;  // empty: triggered by the countdown
        size_t remaining;                // exchanges to wait, or times to fire
    };
    std::vector<Rule> rules_;
};

}  // namespace vekgov
