// Several threads talking to the governor at once: the communication lock
// keeps every exchange whole, so the simulated governor parses every request
// and each thread gets its own answers.
#include "VekLib.h"
#include "support/LogCapture.hpp"
#include "support/Operations.hpp"

#include "DeviceCommands.hpp"
#include "Framing.hpp"
#include "Governor.hpp"
#include "InProcessHost.hpp"
#include "Profiles.hpp"
#include "Values.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr int kIterations = 400;
// Each writer owns one parameter; each reader one that nobody writes.
constexpr uint32_t kWritten[] = {20, 21, 22};
constexpr uint32_t kRead[] = {1, 2};
constexpr uint32_t kListed = 2000;
constexpr uint16_t kListedValue = 1234;

class Threads : public ::testing::Test {
protected:
    void SetUp() override {
        vektest::ResetLibraryState();
        ASSERT_EQ(VekInit(), 1);
        ASSERT_EQ(VekReadAllParDef(), 1);
        const uint32_t ids[] = {kListed};
        ASSERT_EQ(VekSetTimedList(0, 1, ids), 1);
        vekgov::WriteValue(host_.Model(), kListed, kListedValue);
    }

    void TearDown() override { vektest::ResetLibraryState(); }

    // Runs every body on a thread of its own, all at once.
    static void RunTogether(const std::vector<std::function<void()>>& bodies) {
        std::vector<std::thread> threads;
        for (const auto& body : bodies) threads.emplace_back(body);
        for (std::thread& thread : threads) thread.join();
    }

    vekgov::InProcessHost host_{*vekgov::FindProfile("default")};
    vektest::LogCapture log_;
};

TEST_F(Threads, ReadsWritesListsAndPingsStayWholeAndRight) {
    // What the readers must see, taken before anyone runs.
    std::vector<uint16_t> expected;
    for (const uint32_t id : kRead) expected.push_back(*vekgov::ReadValue(host_.Model(), id));
    const size_t exchangesBefore = host_.Engine().ExchangeCount();
    const size_t framingBefore = host_.Engine().FramingErrors();

    std::atomic<int> failures{0};
    std::vector<std::function<void()>> bodies;
    for (const uint32_t id : kWritten) {
        // Write a value, read it back: nobody else touches this number.
        bodies.push_back([id, &failures] {
            for (int i = 0; i < kIterations; ++i) {
                const uint16_t value = static_cast<uint16_t>(id * 100 + i % 7);
                if (!VekWriteRawValue(id, value) || !VekReadRawValue(id) || VekGetParDef(id)->RawValue != value) {
                    ++failures;
                }
            }
        });
    }
    for (size_t r = 0; r < std::size(kRead); ++r) {
        bodies.push_back([id = kRead[r], want = expected[r], &failures] {
            for (int i = 0; i < kIterations; ++i) {
                if (!VekReadRawValue(id) || VekGetParDef(id)->RawValue != want) ++failures;
            }
        });
    }
    bodies.push_back([&failures] {
        double value = 0;
        uint32_t stamp = 0;
        for (int i = 0; i < kIterations; ++i) {
            if (!VekReadTimedList(0, &stamp, &value) || VekGetParDef(kListed)->RawValue != kListedValue) ++failures;
        }
    });
    bodies.push_back([&failures] {
        for (int i = 0; i < kIterations; ++i) {
            if (!VekPing()) ++failures;
        }
    });
    RunTogether(bodies);

    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(host_.Engine().FramingErrors(), framingBefore);
    // One exchange per read, write, sample and ping: none was lost or split.
    const size_t operations = kIterations * (2 * std::size(kWritten) + std::size(kRead) + 2);
    EXPECT_EQ(host_.Engine().ExchangeCount() - exchangesBefore, operations);
    for (const uint32_t id : kWritten) {
        EXPECT_EQ(*vekgov::ReadValue(host_.Model(), id), static_cast<uint16_t>(id * 100 + (kIterations - 1) % 7));
    }
    EXPECT_TRUE(host_.IsOpen());
}

// Values parsed on one thread while another reads values of 0 from the
// governor: both note that a cached 0 is a value, in one shared set (run
// under ThreadSanitizer, a race there shows).
TEST_F(Threads, ValuesParsedOnOneThreadWhileAnotherReadsZeros) {
    constexpr uint32_t kDroop = 8;      // 0 .. 10.0 %
    constexpr uint32_t kSpeedTrim = 9;  // the governor holds 0
    VekDirectSet(0);                    // setting a value stores it in the cache only
    std::atomic<int> failures{0};
    RunTogether({
        [&failures] {
            for (int i = 0; i < kIterations; ++i) {
                const char16_t* text = i % 2 ? u"1.0" : u"0";
                if (!VekSetValue(kDroop, reinterpret_cast<const VekChar*>(text))) ++failures;
            }
        },
        [&failures] {
            for (int i = 0; i < kIterations; ++i) {
                if (!VekReadRawValue(kSpeedTrim) || VekGetParDef(kSpeedTrim)->RawValue != 0) ++failures;
            }
        },
    });
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(+VekGetParDef(kDroop)->RawValue, 10);  // the last text, 1.0 %
}

// Every request written to the governor: which thread wrote it, during which
// call of the thread under watch, and the time-out in force.
struct Request {
    bool watched;
    int call;
    int32_t timeout;
};

class RequestLog {
public:
    explicit RequestLog(SerialStream& stream) : stream_(stream), write_(stream.Write) {
        active_ = this;
        stream.Write = Record;
    }
    ~RequestLog() {
        stream_.Write = write_;
        active_ = nullptr;
    }
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    // Marks the calling thread as the one under watch, now in its call `call`.
    static void Watch(int call) { watchedCall = call; }

    // The calls of the watched thread during which another thread's request
    // went out between its first and its last request.
    std::vector<int> InterleavedCalls() const {
        std::vector<int> interleaved;
        std::map<int, std::pair<size_t, size_t>> spans;
        for (size_t i = 0; i < requests_.size(); ++i) {
            if (!requests_[i].watched) continue;
            auto [span, added] = spans.try_emplace(requests_[i].call, i, i);
            if (!added) span->second.second = i;
        }
        for (const auto& [call, span] : spans) {
            for (size_t i = span.first; i < span.second; ++i) {
                if (!requests_[i].watched) {
                    interleaved.push_back(call);
                    break;
                }
            }
        }
        return interleaved;
    }

    // The time-outs in force for the other threads' requests.
    std::set<int32_t> OtherThreadsTimeouts() const {
        std::set<int32_t> timeouts;
        for (const Request& request : requests_) {
            if (!request.watched) timeouts.insert(request.timeout);
        }
        return timeouts;
    }

private:
    static int32_t VEK_CALL Record(SerialStream* s, const uint8_t* data, int32_t count) {
        {
            std::lock_guard<std::mutex> guard(active_->mutex_);
            active_->requests_.push_back({watchedCall >= 0, watchedCall, s->GetTimeout(s)});
        }
        return active_->write_(s, data, count);
    }

    static inline RequestLog* active_ = nullptr;
    static inline thread_local int watchedCall = -1;
    SerialStream& stream_;
    decltype(SerialStream::Write) write_;
    std::mutex mutex_;
    std::vector<Request> requests_;
};

// Exports that exchange several requests hold the communication lock from
// their first request to their last, with their own time-out inside it: a
// thread that reads values meanwhile never gets between their requests and
// never runs with their time-out.
TEST_F(Threads, LongExportsHoldTheLockForTheirWholeRun) {
    constexpr int kCalls = 25;
    ASSERT_EQ(VekReadAllValues(), 0);
    char file[1 << 16];
    int32_t fileSize = sizeof file;
    ASSERT_EQ(VekDownloadPrmBuffer(file, &fileSize), 1);
    const int32_t responseTimeout = VekGetStream()->ResponseTimeout;
    const std::vector<std::pair<const char*, std::function<bool()>>> exports = {
        {"VekWriteAllValues", [] { return VekWriteAllValues() == 1; }},
        {"VekReadAllValues", [] { return VekReadAllValues() == 0; }},
        {"VekReadErrorMemory", [] { return VekReadErrorMemory() == 1; }},
        {"VekUploadPrmBuffer",
         [&] { return VekUploadPrmBuffer(file, static_cast<uint32_t>(fileSize), 0) == 1; }},
        {"VekReconnect", [] { return VekReconnect() == 1; }},
    };
    for (const auto& [name, call] : exports) {
        RequestLog log(*VekGetStream());
        std::atomic<bool> done{false};
        std::atomic<int> reads{0};
        std::atomic<int> failures{0};
        RunTogether({
            [&, call = call] {
                // Until both threads have had their turns many times.
                for (int i = 0; i < kCalls || reads < kCalls; ++i) {
                    RequestLog::Watch(i);
                    if (!call()) ++failures;
                }
                RequestLog::Watch(-1);
                done = true;
            },
            [&] {
                for (; !done; ++reads) VekReadRawValue(kRead[0]);
            },
        });
        EXPECT_EQ(failures.load(), 0) << name;
        EXPECT_EQ(log.InterleavedCalls(), std::vector<int>{}) << name;
        EXPECT_EQ(log.OtherThreadsTimeouts(), std::set<int32_t>{responseTimeout}) << name;
    }
}

// Two threads reading the error memory at once: each read clears the list
// and fills it again, so the list ends with the governor's records once.
TEST_F(Threads, ConcurrentErrorMemoryReadsListEachRecordOnce) {
    ASSERT_EQ(VekReadErrorMemory(), 1);
    const uint32_t records = VekGetErrorEntriesNum();
    ASSERT_GT(records, 0u);
    const auto readMany = [] {
        for (int i = 0; i < kIterations / 10; ++i) VekReadErrorMemory();
    };
    RunTogether({readMany, readMany});
    EXPECT_EQ(VekGetErrorEntriesNum(), records);
}

// Timed lists configured while another thread downloads the definitions
// again: the search for the timer runs under the lock, so it sees the whole
// store before or after a download, never one being rebuilt.
TEST_F(Threads, TimedListsConfiguredWhileTheDefinitionsAreDownloadedAgain) {
    std::atomic<int> failures{0};
    RunTogether({
        [&failures] {
            const uint32_t ids[] = {kListed};
            for (int i = 0; i < kIterations / 4; ++i) {
                if (!VekSetTimedList(0, 1, ids)) ++failures;
            }
        },
        [&failures] {
            for (int i = 0; i < kIterations / 40; ++i) {
                if (!VekReadAllParDef()) ++failures;
            }
        },
    });
    EXPECT_EQ(failures.load(), 0);
}

// Range-coded values converted on two threads at once: each thread follows
// its own chain of range parameters, and conversions keep working after.
TEST_F(Threads, RangeConversionsOnTwoThreadsKeepTheirOwnDepth) {
    constexpr uint32_t kRangeCoded = 102;  // SpeedSetpointUser, bounded by two range parameters
    ASSERT_EQ(VekReadAllValues(), 0);
    double alone = 0;
    ASSERT_EQ(VekGetRealValue(kRangeCoded, &alone), 1);
    std::atomic<int> failures{0};
    const auto convertMany = [&failures] {
        double value = 0;
        for (int i = 0; i < kIterations * 10; ++i) {
            if (!VekGetRealValue(kRangeCoded, &value)) ++failures;
        }
    };
    RunTogether({convertMany, convertMany});
    EXPECT_EQ(failures.load(), 0);
    double after = 0;
    EXPECT_EQ(VekGetRealValue(kRangeCoded, &after), 1);
    EXPECT_EQ(after, alone);
}

// The count the test above relies on: the governor counts the requests it
// cannot make sense of, and nothing else.
TEST(GovernorFramingErrors, CountsUnknownBytesAndDamagedWritesOnly) {
    vekgov::Governor governor(*vekgov::FindProfile("default"));
    vekgov::ProtocolEngine& engine = governor.Engine();
    const auto feed = [&engine](std::vector<uint8_t> bytes) { engine.Feed(bytes.data(), bytes.size()); };
    const uint8_t number = 1;
    const uint8_t value = 0x10;
    feed({vekgov::dev::WriteRawValue, number, 0, value, 0, static_cast<uint8_t>(number + value), 0});
    EXPECT_EQ(engine.FramingErrors(), 0u);
    feed({0xFE});  // no command
    EXPECT_EQ(engine.FramingErrors(), 1u);
    feed({vekgov::dev::WriteRawValue, number, 0, value, 0, 0, 0});  // wrong sum
    EXPECT_EQ(engine.FramingErrors(), 2u);
    // An extended command whose block fails its checksum; then one whose
    // intact block is too short for a sub-command, which is refused only.
    std::vector<uint8_t> damaged{vekgov::dev::Extended};
    const vekgov::Bytes block = vekgov::EncodeBlock(vekgov::Bytes{0x01, 0x00});
    damaged.insert(damaged.end(), block.begin(), block.end());
    damaged.back() ^= 0x01;
    feed(damaged);
    EXPECT_EQ(engine.FramingErrors(), 3u);
    std::vector<uint8_t> tooShort{vekgov::dev::Extended};
    const vekgov::Bytes shortBlock = vekgov::EncodeBlock(vekgov::Bytes{0x01});
    tooShort.insert(tooShort.end(), shortBlock.begin(), shortBlock.end());
    feed(tooShort);
    EXPECT_EQ(engine.FramingErrors(), 3u);
}

// Failures logged from several threads at once, the first of them opening
// the log file: one file, every line whole.
TEST(ThreadsLogging, LinesFromManyThreadsAllArriveWhole) {
    vektest::ResetLibraryState();
    vektest::LogCapture log;
    constexpr int kThreads = 6;
    constexpr int kLinesEach = 300;
    constexpr uint32_t kUndefined = 65000;
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&ready] {
            ++ready;
            while (ready.load() < kThreads) std::this_thread::yield();
            double value = 0;
            for (int i = 0; i < kLinesEach; ++i) VekGetRealValue(kUndefined, &value);
        });
    }
    for (std::thread& thread : threads) thread.join();

    const std::vector<std::string> lines = log.Lines();
    EXPECT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach));
    for (const std::string& line : lines) {
        ASSERT_EQ(line, "VekGetRealValue: failed to call VekGetParDef(65000)");
    }
}

}  // namespace
