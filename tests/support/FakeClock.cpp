#include "support/FakeClock.hpp"

#include "platform/Platform.hpp"

#include <utility>

namespace vektest {

namespace {

struct FakeTime {
    uint32_t nowMs = 0;
    uint32_t stepMs = 1;
    std::vector<uint32_t> sleeps;
    std::function<void(uint32_t)> observer;

    void Advance(uint32_t ms) {
        nowMs += ms;
        if (observer) observer(ms);
    }
};

FakeTime fake;

uint32_t Tick() {
    const uint32_t now = fake.nowMs;
    fake.Advance(fake.stepMs);
    return now;
}

void Sleep(uint32_t ms) {
    fake.sleeps.push_back(ms);
    fake.Advance(ms);
}

vek::platform::Clock clock;

}  // namespace

FakeClock::FakeClock(uint32_t stepMs) {
    fake = FakeTime{};
    fake.stepMs = stepMs;
    clock = vek::platform::SystemClock();
    clock.tickCount = Tick;
    clock.sleep = Sleep;
    vek::platform::SetClockForTesting(&clock);
}

FakeClock::~FakeClock() {
    vek::platform::SetClockForTesting(nullptr);
    fake = FakeTime{};
}

const std::vector<uint32_t>& FakeClock::Sleeps() const { return fake.sleeps; }
uint32_t FakeClock::NowMs() const { return fake.nowMs; }
void FakeClock::SetStep(uint32_t stepMs) { fake.stepMs = stepMs; }
void FakeClock::OnAdvance(std::function<void(uint32_t)> observer) { fake.observer = std::move(observer); }

}  // namespace vektest
