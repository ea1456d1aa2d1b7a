// The simulated governor's engine: shipped parameter values, the speed loop
// under its own parameters, measurements that agree with the device record,
// limit errors, restarts and repeatable runs. All on the model's clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ActualErrors.hpp"
#include "DefinitionBlocks.hpp"
#include "EngineModel.hpp"
#include "Governor.hpp"
#include "PhysicalValues.hpp"
#include "Profiles.hpp"
#include "Restart.hpp"
#include "ServiceState.hpp"
#include "Values.hpp"

namespace vekgov {
namespace {

constexpr uint32_t kSpeed = 2000;
constexpr uint32_t kActuatorPos = 2002;
constexpr uint32_t kSpeedSetpoint = 40;

class LiveGovernor {
public:
    explicit LiveGovernor(uint64_t seed, bool still = false, const char* profile = "default")
        : governor_(*FindProfile(profile)) {
        StartLiveOperation(Model(), {seed, still, false});
        PassTime(Model());
    }
    GovernorModel& Model() { return governor_.Model(); }
    // Lets model time pass as between two requests.
    void Run(uint64_t ms) {
        Model().clock.Advance(ms);
        PassTime(Model());
    }
    double Value(uint32_t number) { return *ReadPhysical(Model(), number); }
    void Set(uint32_t number, double value) { ASSERT_TRUE(WritePhysical(Model(), number, value)); }
    // Speed samples every 100 ms over `ms`.
    std::vector<double> Speeds(uint64_t ms) {
        std::vector<double> speeds;
        for (uint64_t t = 0; t < ms; t += 100) {
            Run(100);
            speeds.push_back(Value(kSpeed));
        }
        return speeds;
    }

private:
    Governor governor_;
};

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return sum / static_cast<double>(v.size());
}

double Swing(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end()) - *std::min_element(v.begin(), v.end());
}

TEST(SimEngineModel, TheSameSeedGivesTheSameSamples) {
    const auto samples = [](uint64_t seed) {
        LiveGovernor governor(seed);
        std::vector<uint16_t> words;
        for (int i = 0; i < 600; ++i) {  // a minute, with load steps
            governor.Run(100);
            words.push_back(*ReadValue(governor.Model(), kSpeed));
            words.push_back(*ReadValue(governor.Model(), kActuatorPos));
        }
        return words;
    };
    const std::vector<uint16_t> first = samples(7);
    EXPECT_EQ(samples(7), first);
    EXPECT_NE(samples(8), first);
}

TEST(SimEngineModel, EveryShippedValueLiesWithinItsLimitsAndTheLimitsAreOrdered) {
    const Governor governor(*FindProfile("default"));
    GovernorModel& model = const_cast<Governor&>(governor).Model();
    for (const Definition& d : model.profile.definitions) {
        if (d.intCode == 250 || GroupOf(d.number) == ValueGroup::Measurements) continue;
        const uint16_t raw = *ReadValue(model, d.number);
        const bool signedLimits = d.min > d.max;
        const int32_t value = signedLimits ? static_cast<int16_t>(raw) : raw;
        const int32_t low = signedLimits ? static_cast<int16_t>(d.min) : d.min;
        EXPECT_TRUE(value >= low && value <= d.max) << d.name << " holds " << value;
    }
    for (uint32_t page : {0u, 10000u}) {
        const auto at = [&](uint32_t n) { return *ReadPhysical(model, page + n); };
        EXPECT_TRUE(at(1) < at(2) && at(2) < at(3) && at(3) < at(4))
            << "idle < rated < max < overspeed, page " << page;
    }
    const auto at = [&](uint32_t n) { return *ReadPhysical(model, n); };
    EXPECT_LT(at(503), at(504));  // coolant warning below stop
    EXPECT_GT(at(500), at(501));  // oil pressure warning above stop
    EXPECT_LT(at(64), at(65));    // actuator travel
    EXPECT_DOUBLE_EQ(at(64), 0.5);
    for (uint32_t gain = 20; gain <= 30; ++gain) {
        if (gain % 4 != 3) {
            EXPECT_GT(at(gain), 0) << gain;
        }
    }
    EXPECT_EQ(at(kSpeedSetpoint), 1500);
}

TEST(SimEngineModel, EveryProfileAnnouncesTheDefinitionBytesItSends) {
    for (const std::string_view name : ProfileNames()) {
        const DeviceProfile profile = *FindProfile(name);
        const size_t sent = profile.definitions.size() * LayoutOf(profile).RecordSize();
        // An old governor's short checksum block announces nothing: the host takes 12744.
        const size_t announced = profile.checksumBlockLength == 6 ? 12744 : profile.parDefTotalBytes;
        EXPECT_EQ(sent, announced) << name;
    }
}

TEST(SimEngineModel, MeasurementsAgreeWithTheDeviceRecord) {
    LiveGovernor governor(1);
    GovernorModel& model = governor.Model();
    EXPECT_EQ(*ReadValue(model, 3840), 52123);  // software 5123, extension 2
    EXPECT_EQ(*ReadValue(model, 3841), 2310);
    EXPECT_EQ(governor.Value(2014), 1234);  // the error memory's 1234:30 at switch-on
    EXPECT_EQ(governor.Value(2015), 2318);  // one start since
    for (const ErrorMemoryRecord& record : model.errorMemory.records) {
        EXPECT_LE(record.lastSeconds, OperatingSeconds(model)) << record.number;
    }
    governor.Run(30 * 60 * 1000);
    EXPECT_EQ(governor.Value(2014), 1235);
    const double speed = governor.Value(kSpeed);
    EXPECT_NEAR(governor.Value(2010), speed - governor.Value(2001), 1);  // deviation
    EXPECT_NEAR(governor.Value(2003), governor.Value(kActuatorPos), 3);  // fuel follows the actuator

    const Governor hw21(*FindProfile("hw21"));
    EXPECT_EQ(*ReadValue(const_cast<Governor&>(hw21).Model(), 3840), 41105);  // software 4105, extension 1
}

TEST(SimEngineModel, SpeedSettlesAtARaisedSetpointAndHighGainsOscillate) {
    LiveGovernor governor(3);
    EXPECT_NEAR(Mean(governor.Speeds(3000)), 1500, 5);
    EXPECT_LT(Swing(governor.Speeds(3000)), 15);
    governor.Set(kSpeedSetpoint, 1600);
    governor.Speeds(4000);  // the ramp: 100 rpm/s
    const std::vector<double> settled = governor.Speeds(3000);
    EXPECT_NEAR(Mean(settled), 1600, 5);
    EXPECT_LT(Swing(settled), 15);

    governor.Set(20, 9.0);  // GainP of controller set 0
    governor.Set(kSpeedSetpoint, 1500);
    governor.Speeds(5000);
    EXPECT_GT(Swing(governor.Speeds(3000)), 50);
}

TEST(SimEngineModel, LimitViolationsRaiseTheirErrorsAndClearAgain) {
    LiveGovernor governor(1);
    GovernorModel& model = governor.Model();
    governor.Set(503, 70.0);  // CoolantTempWarn below the coolant's temperature
    governor.Run(4000);
    EXPECT_EQ(ErrorState(model, 3116), error_state::Absent);  // within CoolantTempDelay
    governor.Run(2000);
    EXPECT_EQ(ErrorState(model, 3116), error_state::Present);
    governor.Set(503, 95.0);
    governor.Run(100);
    EXPECT_EQ(ErrorState(model, 3116), error_state::Absent);

    governor.Set(4, 1450);  // OverspeedLimit below the speed: the fuel is cut
    governor.Run(100);
    EXPECT_EQ(ErrorState(model, 3102), error_state::Present);
    EXPECT_EQ(*ReadValue(model, 2013), 0x0003);  // StatusWord: running, fuel cut
    governor.Set(4, 1725);
    governor.Run(3000);
    EXPECT_EQ(ErrorState(model, 3102), error_state::Absent);
    EXPECT_NEAR(governor.Value(kSpeed), 1500, 30);
    // Both went into the error memory at their model time.
    const auto recorded =
        std::count_if(model.errorMemory.records.begin(), model.errorMemory.records.end(),
                      [](const ErrorMemoryRecord& r) { return r.number == 3116 || r.number == 3102; });
    EXPECT_EQ(recorded, 2);
}

TEST(SimEngineModel, AResetStartsTheEngineAgainWithTheStoredValues) {
    LiveGovernor governor(1);
    GovernorModel& model = governor.Model();
    governor.Set(kSpeedSetpoint + 1, 1000);
    StoreValues(model);
    governor.Set(kSpeedSetpoint, 1600);  // not stored
    RestartGovernor(model);
    governor.Run(100);
    EXPECT_EQ(governor.Value(kSpeedSetpoint), 1500);
    EXPECT_EQ(governor.Value(kSpeedSetpoint + 1), 1000);
    EXPECT_EQ(governor.Value(2015), 2319);
    EXPECT_LT(governor.Value(kSpeed), 600);  // starting
    governor.Run(20000);
    EXPECT_NEAR(governor.Value(kSpeed), 1500, 30);
}

TEST(SimEngineModel, AStillEngineStandsAtItsSetpoint) {
    LiveGovernor governor(1, true);
    const std::vector<uint16_t> before = {*ReadValue(governor.Model(), kSpeed),
                                          *ReadValue(governor.Model(), kActuatorPos)};
    EXPECT_EQ(before[0], 1500);
    governor.Run(120000);
    EXPECT_EQ((std::vector<uint16_t>{*ReadValue(governor.Model(), kSpeed),
                                     *ReadValue(governor.Model(), kActuatorPos)}),
              before);
    EXPECT_TRUE(governor.Model().actualErrors.states.empty());
}

}  // namespace
}  // namespace vekgov
