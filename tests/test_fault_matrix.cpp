// Every operation that talks to the governor, against every fault the
// simulated governor can inject, at every exchange the operation makes.
// Each cell checks what a failure must leave: the failure result, a log
// line, the time-out as it was, the communication lock free, the state the
// operation promises after a failure, and a line that works again.
#include "VekLib.h"
#include "support/FakeClock.hpp"
#include "support/LogCapture.hpp"
#include "support/Operations.hpp"
#include "support/ScriptedStream.hpp"
#include "support/TempDir.hpp"
#include "support/ValueDefinitions.hpp"

#include "Faults.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using vekgov::Fault;
using vekgov::FaultInfo;
using vektest::Operation;
using vektest::OperationContext;

struct Cell {
    const Operation* operation;
    FaultInfo fault;
};

// How gtest shows a cell in test listings.
void PrintTo(const Cell& cell, std::ostream* out) { *out << cell.operation->name << " with " << cell.fault.name; }

std::vector<Cell> AllCells() {
    std::vector<Cell> cells;
    for (const Operation& operation : vektest::Operations()) {
        for (const FaultInfo& fault : vekgov::kFaults) cells.push_back({&operation, fault});
    }
    return cells;
}

// "cut-short" -> "CutShort"
std::string CamelCase(const std::string& name) {
    std::string out;
    bool upper = true;
    for (const char c : name) {
        if (c == '-') {
            upper = true;
            continue;
        }
        out += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        upper = false;
    }
    return out;
}

std::string CellName(const ::testing::TestParamInfo<Cell>& info) {
    return std::string(info.param.operation->name) + "_" + CamelCase(info.param.fault.name);
}

// The exchange lines of the governor's log from `from` on, without the
// lines of bytes it dropped and without the fault marks, so that a healthy
// and a faulted run compare reply by reply.
std::vector<std::string> ExchangeLines(const vekgov::ProtocolEngine& engine, size_t from) {
    std::vector<std::string> lines;
    const std::vector<std::string>& all = engine.Log().Lines();
    for (size_t i = from; i < all.size(); ++i) {
        std::string line = all[i];
        if (line.find("(dropped:") != std::string::npos) continue;
        const size_t mark = line.find(" [fault ");
        if (mark != std::string::npos) line.erase(mark);
        lines.push_back(line);
    }
    return lines;
}

// What the stream saw after the faulted exchange: how long the log was when
// its reply was first read, and whether a read then failed (a real port logs
// that as a read error of its own).
struct AfterFault {
    size_t exchange = 0;  // the engine's count at which the fault was answered
    std::optional<size_t> logSizeAtReply;
    bool readFailed = false;
};

vektest::LogCapture* currentLog = nullptr;
vekgov::InProcessHost* currentHost = nullptr;
AfterFault* watch = nullptr;
int32_t(VEK_CALL* hostRead)(SerialStream*, uint8_t*, int32_t) = nullptr;

int32_t VEK_CALL WatchingRead(SerialStream* s, uint8_t* buffer, int32_t count) {
    if (watch && currentHost->Engine().ExchangeCount() >= watch->exchange && !watch->logSizeAtReply) {
        watch->logSizeAtReply = currentLog->RawText().size();
    }
    const int32_t result = hostRead(s, buffer, count);
    if (watch && watch->logSizeAtReply && !result) watch->readFailed = true;
    return result;
}

// The faults that put one whole word where the reply was, and that word.
bool RepliesWithWord(Fault fault) { return fault == Fault::RefusingStatus || fault == Fault::Garbage; }
uint32_t ReplacedWord(const FaultInfo& fault) {
    return fault.fault == Fault::Garbage ? (fault.defaultArgument * 0x0101u) : fault.defaultArgument;
}

// Whether another thread gets through an operation now. A lock left taken
// would block it for good, so the wait is bounded; it is a hang guard, the
// ping takes no time at all in-process.
constexpr std::chrono::seconds kHangGuard{30};
bool AnotherThreadGetsTheLock() {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread other([done] {
        VekPing();
        done->set_value();
    });
    const bool got = finished.wait_for(kHangGuard) == std::future_status::ready;
    if (got) {
        other.join();
    } else {
        other.detach();  // stuck on the lock: the process is beyond repair anyway
    }
    return got;
}

class FaultMatrix : public ::testing::TestWithParam<Cell> {
protected:
    void TearDown() override {
        watch = nullptr;
        currentHost = nullptr;
        currentLog = nullptr;
        clock_.OnAdvance(nullptr);
        host_.reset();
        vektest::ResetLibraryState();  // the tests after this one start from an empty library
    }

    // A fresh governor behind the stream, the library state emptied and the
    // operation's needs in place.
    void StartFresh(const Operation& operation) {
        host_.reset();  // puts the record back before the next host saves it
        vektest::ResetLibraryState();
        host_ = std::make_unique<vekgov::InProcessHost>(*vekgov::FindProfile(operation.profile));
        currentHost = host_.get();
        currentLog = &log_;
        clock_.OnAdvance([this](uint32_t ms) { host_->Model().clock.Advance(ms); });
        SerialStream* s = VekGetStream();
        hostRead = s->Read;
        s->Read = WatchingRead;
        Prepare(operation);
    }
    void Prepare(const Operation& operation) {
        OperationContext context = Context();
        vektest::Fulfil(operation.needs, context);
        if (operation.prepare) operation.prepare(context);
    }
    std::string LastLogLines() const {
        const std::vector<std::string> lines = log_.Lines();
        std::string text;
        for (size_t i = lines.size() > 3 ? lines.size() - 3 : 0; i < lines.size(); ++i) text += lines[i] + " | ";
        return text;
    }
    OperationContext Context() { return OperationContext{*host_, scratch_.path()}; }
    vekgov::ProtocolEngine& Engine() { return host_->Engine(); }
    static int32_t Timeout() { return VekGetStream()->GetTimeout(VekGetStream()); }

    // The healthy run: its exchange lines.
    std::vector<std::string> HealthyExchanges(const Operation& operation) {
        StartFresh(operation);
        const size_t from = Engine().Log().Lines().size();
        OperationContext context = Context();
        EXPECT_TRUE(operation.run(context)) << operation.name << " fails on a healthy governor; log: " << LastLogLines();
        return ExchangeLines(Engine(), from);
    }

    void RunCell(const Operation& operation, const FaultInfo& fault, size_t k, const std::vector<std::string>& healthy);

    vektest::FakeClock clock_;
    vektest::LogCapture log_;
    vektest::TempDir scratch_;
    std::unique_ptr<vekgov::InProcessHost> host_;
};

void FaultMatrix::RunCell(const Operation& operation, const FaultInfo& fault, size_t k,
                          const std::vector<std::string>& healthy) {
    SCOPED_TRACE(std::string(operation.name) + ", fault " + fault.name + " at exchange " + std::to_string(k) + " of " +
                 std::to_string(healthy.size()) + ": " + healthy[k - 1]);
    StartFresh(operation);
    if (HasFatalFailure()) return;
    const int32_t timeoutBefore = Timeout();
    const size_t logFrom = Engine().Log().Lines().size();
    AfterFault afterFault;
    afterFault.exchange = Engine().ExchangeCount() + k;
    watch = &afterFault;
    Engine().Faults().AtExchange(k, vekgov::InjectedFault(fault.fault));

    OperationContext context = Context();
    const bool succeeded = operation.run(context);
    watch = nullptr;
    Engine().Faults().Clear();

    const std::vector<std::string> exchanges = ExchangeLines(Engine(), logFrom);
    ASSERT_GE(exchanges.size(), k) << "the faulted exchange never happened";
    // A fault that finds nothing to change (a checksum fault on a reply
    // without a block) leaves a healthy exchange. The checksum's flag bit
    // says only that the actual errors changed: every reader looks at the
    // other 15 bits.
    const bool replyIntact = exchanges[k - 1] == healthy[k - 1];
    const bool tolerated = replyIntact || fault.fault == Fault::ChecksumFlag ||
                           (operation.tolerates && operation.tolerates(fault.fault, healthy, k - 1));
    if (tolerated) {
        EXPECT_TRUE(succeeded) << "a tolerated fault failed the operation; log: " << LastLogLines();
    } else {
        EXPECT_FALSE(succeeded) << "the fault was reported as success";
        const bool logged = afterFault.logSizeAtReply && log_.RawText().size() > *afterFault.logSizeAtReply;
        // Some operations report a refused command only by its status word.
        const bool statusReported = operation.refusalByStatusOnly && RepliesWithWord(fault.fault) &&
                                    VekGetLastError() == ReplacedWord(fault);
        EXPECT_TRUE(logged || afterFault.readFailed || statusReported) << "no log line for the failure";
        if (operation.checkAfterFailure && !succeeded) operation.checkAfterFailure(context);
    }
    EXPECT_EQ(Timeout(), timeoutBefore) << "a pushed time-out was not restored";
    ASSERT_TRUE(AnotherThreadGetsTheLock()) << "the communication lock stayed taken";

    // The next run on a healthy line works, after a reconnection where the
    // failure left the governor without a conversation.
    const bool lost = Engine().Restarting() || !host_->IsOpen() || (!succeeded && operation.failureLosesConnection);
    if (lost) {
        // The caller waits for a restarting governor to come back first.
        host_->Model().clock.Advance(host_->Model().profile.bootTimeMs);
        ASSERT_EQ(VekInit(), 1) << "reconnection after the fault";
    }
    Prepare(operation);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(operation.run(context)) << "the operation fails on the healthy line after the fault; log: "
                                        << LastLogLines();
}

TEST_P(FaultMatrix, EveryExchange) {
    const Operation& operation = *GetParam().operation;
    const std::vector<std::string> healthy = HealthyExchanges(operation);
    ASSERT_FALSE(healthy.empty()) << operation.name << " made no exchange";
    for (size_t k = 1; k <= healthy.size() && !HasFatalFailure(); ++k) RunCell(operation, GetParam().fault, k, healthy);
}

INSTANTIATE_TEST_SUITE_P(AllOperations, FaultMatrix, ::testing::ValuesIn(AllCells()), CellName);

// The size of the matrix, worked out from the healthy runs.
using FaultMatrixSize = FaultMatrix;

TEST_F(FaultMatrixSize, EveryOperationWorksOnAHealthyGovernor) {
    size_t cells = 0;
    for (const Operation& operation : vektest::Operations()) {
        const size_t exchanges = HealthyExchanges(operation).size();
        EXPECT_GT(exchanges, 0u) << operation.name;
        std::cout << "  " << operation.name << ": " << exchanges << " exchanges\n";
        cells += exchanges * vekgov::kFaults.size();
    }
    std::cout << "Fault matrix: " << vektest::Operations().size() << " operations x " << vekgov::kFaults.size()
              << " faults = " << vektest::Operations().size() * vekgov::kFaults.size() << " tests, " << cells
              << " cells\n";
}

// A reply block longer than the buffer it was asked into fails the
// operation, but is read off the line: the next command reads its own reply.
TEST(LineInStep, ABlockLargerThanItsBufferIsReadOffTheLine) {
    vektest::ResetValueState();
    VekGetVekStruct()->Features = 0x0004;  // identification available
    vektest::ScriptedStream line;
    vektest::LogCapture log;
    constexpr uint16_t kValue = 700;
    line.Expect({0x59, 0x02}).ReplyBlock(vektest::Bytes(300, 0x11));
    line.Expect({0x28, 0x01, 0x00}).ReplyWord(kValue).ReplyWord((kValue & 0xFF) + (kValue >> 8));
    EXPECT_EQ(VekReadIdentification(), 0);
    ASSERT_EQ(VekReadRawValue(1), 1);
    EXPECT_EQ(VekGetParDef(1)->RawValue, kValue);
    EXPECT_TRUE(line.Complete());
    EXPECT_TRUE(log.Contains("Failed to read the serial data!")) << log.RawText();
    vektest::ResetLibraryState();
}

}  // namespace
