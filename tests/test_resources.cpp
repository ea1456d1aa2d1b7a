// Long runs hold no more memory and no more file descriptors at their end
// than after their first rounds: nothing the library allocates or opens per
// exchange, connection or definition download is left behind. The counts
// come from /proc, so the tests run where there is one (Linux).
#include "VekLib.h"
#include "support/GovernorLine.hpp"
#include "support/Operations.hpp"
#include "support/SerialReset.hpp"

#include "InProcessHost.hpp"
#include "Profiles.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kStatus = "/proc/self/status";
const fs::path kDescriptors = "/proc/self/fd";

// Resident memory in kB.
long ResidentKb() {
    std::ifstream in(kStatus);
    std::string key;
    while (in >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            in >> kb;
            return kb;
        }
        in.ignore(1 << 12, '\n');
    }
    return -1;
}

long OpenDescriptors() {
    return static_cast<long>(std::distance(fs::directory_iterator(kDescriptors), fs::directory_iterator()));
}

// Under Wine a Windows program sees the host's /proc too, but its counts are
// those of the Wine process, not of the program's own handles.
#if defined(_WIN32)
constexpr bool kNativeProc = false;
#else
constexpr bool kNativeProc = true;
#endif

#define SKIP_WITHOUT_PROC()                                                               \
    if (!kNativeProc || !fs::exists(kStatus) || !fs::exists(kDescriptors)) GTEST_SKIP() \
        << "memory and descriptor counts come from /proc (Linux only)"

// The in-process run: 50 rounds of a fresh governor, a connection, a
// reconnection, a definition download and 2000 exchanges of pings, raw reads
// and writes and timed-list samples; well over 100,000 exchanges in all.
constexpr int kRounds = 50;
constexpr int kWarmUpRounds = 5;
constexpr int kOperationsPerRound = 500;  // four exchanges each
// Allocators keep freed memory; a leak of a few bytes per exchange or of a
// definition store per round would still pass this many kB at the end.
constexpr long kMemoryMarginKb = 2048;

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        VekSetLogFile(reinterpret_cast<const VekChar*>(u""));  // no log: its file would grow with the run
        vektest::ResetLibraryState();
    }
    void TearDown() override { vektest::ResetLibraryState(); }
};

// One round; returns the number of exchanges it made.
size_t Round() {
    vekgov::InProcessHost host(*vekgov::FindProfile("default"));
    const size_t before = host.Engine().ExchangeCount();
    EXPECT_EQ(VekInit(), 1);
    VekClearParDefs();
    EXPECT_EQ(VekReadAllParDef(), 1);
    const uint32_t ids[] = {2000};
    EXPECT_EQ(VekSetTimedList(0, 1, ids), 1);
    EXPECT_EQ(VekReconnect(), 1);
    int failures = 0;
    for (int i = 0; i < kOperationsPerRound; ++i) {
        uint32_t stamp = 0;
        double value = 0;
        failures += VekPing() != 1;
        failures += VekReadRawValue(1) != 1;
        failures += VekWriteRawValue(2, static_cast<uint16_t>(1000 + i % 100)) != 1;
        failures += VekReadTimedList(0, &stamp, &value) != 1;
        // The simulated governor's own log is not what is measured.
        if (i % 100 == 0) host.Engine().Log().Clear();
    }
    EXPECT_EQ(failures, 0);
    VekClose();
    return host.Engine().ExchangeCount() - before;
}

TEST_F(Resources, LongInProcessRunKeepsMemoryAndDescriptorsFlat) {
    SKIP_WITHOUT_PROC();
    size_t exchanges = 0;
    for (int r = 0; r < kWarmUpRounds; ++r) exchanges += Round();
    const long memoryAfterWarmUp = ResidentKb();
    const long descriptorsAfterWarmUp = OpenDescriptors();
    for (int r = kWarmUpRounds; r < kRounds && !HasFailure(); ++r) exchanges += Round();

    EXPECT_GE(exchanges, 100000u);
    EXPECT_LE(ResidentKb() - memoryAfterWarmUp, kMemoryMarginKb)
        << "after warm-up " << memoryAfterWarmUp << " kB, at the end " << ResidentKb() << " kB";
    EXPECT_EQ(OpenDescriptors(), descriptorsAfterWarmUp);
}

// The real serial port code: every connection opens the port and every
// close must give its descriptor back.
TEST_F(Resources, RepeatedSerialConnectionsGiveTheirDescriptorsBack) {
    SKIP_WITHOUT_PROC();
    constexpr int kConnections = 20;
    vektest::GovernorLine line(vektest::LineKind::Healthy);
    if (!line.Unavailable().empty()) GTEST_SKIP() << line.Unavailable();
    vektest::ResetSerialPort();
    const VekChar* port = reinterpret_cast<const VekChar*>(line.PortName().c_str());
    ASSERT_EQ(VekConfigureSerialStream(port, 9600), 1);
    ASSERT_EQ(VekInit(), 1);
    VekClose();
    const long descriptors = OpenDescriptors();
    for (int i = 0; i < kConnections; ++i) {
        ASSERT_EQ(VekConfigureSerialStream(port, 9600), 1);
        ASSERT_EQ(VekInit(), 1) << "connection " << i;
        ASSERT_EQ(VekClose(), 1);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    vektest::ResetSerialPort();
}

}  // namespace
