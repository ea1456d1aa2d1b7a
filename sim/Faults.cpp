#include "Faults.hpp"

#include <algorithm>

namespace vekgov {

namespace {

constexpr size_t kMinimumGarbage = 2;

constexpr bool TableInEnumOrder() {
    for (size_t i = 0; i < kFaults.size(); ++i) {
        if (static_cast<size_t>(kFaults[i].fault) != i) return false;
    }
    return true;
}
static_assert(TableInEnumOrder(), "InfoOf indexes the fault table by the enum value");

// Rewrites the checksum word of the reply's last block, if there is one.
template <typename Change>
void ChangeChecksum(Reply& reply, Change change) {
    if (!reply.LastBlock()) return;
    Bytes& bytes = reply.MutableBytes();
    const size_t at = reply.LastBlock()->checksumAt;
    PutWord(bytes, at, static_cast<uint16_t>(change(GetWord(&bytes[at]))));
}

}  // namespace

const FaultInfo& InfoOf(Fault fault) { return kFaults[static_cast<size_t>(fault)]; }

std::optional<Fault> FaultByName(std::string_view name) {
    for (const FaultInfo& info : kFaults) {
        if (name == info.name) return info.fault;
    }
    return std::nullopt;
}

void ApplyFault(const InjectedFault& injected, Reply& reply) {
    const uint32_t argument = injected.Argument();
    Bytes& bytes = reply.MutableBytes();
    switch (injected.fault) {
        case Fault::Silence:
        case Fault::Restart:
            reply.Replace({});
            break;
        case Fault::CutShort:
            bytes.resize(bytes.size() - std::min<size_t>(argument, bytes.size()));
            break;
        case Fault::WrongChecksum:
            ChangeChecksum(reply, [argument](uint16_t checksum) {
                return (checksum & kChecksumFlag) | ((checksum + argument) & kChecksumValue);
            });
            break;
        case Fault::ChecksumFlag:
            ChangeChecksum(reply, [](uint16_t checksum) { return checksum | kChecksumFlag; });
            break;
        case Fault::RefusingStatus: {
            Bytes status;
            AppendWord(status, static_cast<uint16_t>(argument));
            reply.Replace(std::move(status));
            break;
        }
        case Fault::Garbage:
            reply.Replace(Bytes(std::max(bytes.size(), kMinimumGarbage), static_cast<uint8_t>(argument)));
            break;
        case Fault::OversizedLength:
            if (reply.LastBlock()) PutWord(bytes, reply.LastBlock()->lengthAt, static_cast<uint16_t>(argument));
            break;
    }
}

void FaultPlan::AtExchange(size_t n, InjectedFault fault) {
    rules_.push_back(Rule{fault, std::nullopt, std::max<size_t>(n, 1)});
}

void FaultPlan::OnCommand(uint8_t command, InjectedFault fault, size_t times) {
    if (times > 0) rules_.push_back(Rule{fault, command, times});
}

std::optional<InjectedFault> FaultPlan::Next(uint8_t command) {
    std::optional<InjectedFault> chosen;
    for (Rule& rule : rules_) {
        const bool meets = rule.command ? (*rule.command == command && !chosen) : true;
        if (!meets) continue;
        if (rule.command || rule.remaining == 1) {
            if (!chosen) chosen = rule.fault;
        }
        --rule.remaining;
    }
    rules_.erase(std::remove_if(rules_.begin(), rules_.end(), [](const Rule& r) { return r.remaining == 0; }),
                 rules_.end());
    return chosen;
}

}  // namespace vekgov
