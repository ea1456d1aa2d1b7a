#include "EngineModel.hpp"

#include <algorithm>
#include <cmath>

namespace vekgov {

namespace {

constexpr double kStepS = static_cast<double>(EngineModel::kStepMs) / 1000.0;

// The engine: 1 % of torque surplus accelerates it by 10 rpm/s; friction
// takes 10 % of its torque at 1500 rpm.
constexpr double kAccelRpmPerSPerPercent = 10.0;
constexpr double kFrictionPercentPerRpm = 10.0 / 1500.0;
constexpr double kTorqueNoisePercent = 2.0;  // uneven combustion, cycle by cycle
constexpr double kSensorNoiseRpm = 1.0;
// The starter turns it at up to 200 rpm; below 150 rpm a running engine stalls.
constexpr double kCrankRpm = 200.0;
constexpr double kStarterRpmPerS = 400.0;
constexpr double kStallRpm = 150.0;

// The speed loop: what a gain of 1.00 means.
constexpr double kPPercentPerRpm = 0.2;
constexpr double kIPercentPerRpmS = 0.2;
constexpr double kDPercentPerRpmPerS = 0.01;
constexpr double kDerivativeFilterS = 0.04;
constexpr double kOverspeedHysteresisRpm = 30.0;
constexpr double kActuatorLagS = 0.06;

// The load: 30 % at first, then a new level between 15 and 55 % (in steps
// of 5 %) every 20 to 60 seconds.
constexpr double kFirstLoadPercent = 30.0;
constexpr double kLowestLoadPercent = 15.0;
constexpr double kLoadStepPercent = 5.0;
constexpr int kLoadLevels = 9;
constexpr double kShortestLoadS = 20.0;
constexpr double kLoadSpreadS = 40.0;

// Temperatures follow the fuel slowly; a stopped engine cools to the room.
constexpr double kCoolantBaseC = 70.0;
constexpr double kOilBaseC = 75.0;
constexpr double kHeatCPerFuelPercent = 0.3;
constexpr double kCoolantLagS = 120.0;
constexpr double kOilLagS = 300.0;
constexpr double kRoomC = 25.0;
constexpr double kCoolingLagS = 1800.0;
// Boost follows fuel and speed within a second; oil pressure follows speed.
constexpr double kBoostBarAtFullFuelAndRated = 2.4;
constexpr double kBoostLagS = 0.6;
constexpr double kReferenceRpm = 1500.0;
constexpr double kOilPressureIdleBar = 0.8;
constexpr double kOilPressureBarPerRpm = 3.4 / 1500.0;
constexpr double kOilPressureBarPerHotC = 0.01;  // thinner oil
constexpr double kActuatorCurrentBaseMa = 250.0;
constexpr double kActuatorCurrentMaPerPercent = 42.0;

// Within [low, high], and at low when the limits cross.
double Limit(double value, double low, double high) { return std::max(low, std::min(value, high)); }

double Friction(double rpm) { return kFrictionPercentPerRpm * rpm; }

double CoolantTarget(double fuelPercent) { return kCoolantBaseC + kHeatCPerFuelPercent * fuelPercent; }
double OilTarget(double fuelPercent) { return kOilBaseC + kHeatCPerFuelPercent * fuelPercent; }
double BoostTarget(double fuelPercent, double rpm) {
    return kBoostBarAtFullFuelAndRated * fuelPercent / 100.0 * rpm / kReferenceRpm;
}

// A first-order lag of time constant lagS over one step.
double Follow(double value, double target, double lagS, double dtS = kStepS) {
    return value + (target - value) * std::min(1.0, dtS / lagS);
}

}  // namespace

EngineModel::EngineModel(uint64_t seed)
    : noise_(seed),
      loadPercent_(kFirstLoadPercent),
      stepsToLoadChange_(0),
      coolantTempC_(CoolantTarget(kFirstLoadPercent + Friction(kReferenceRpm))),
      oilTempC_(OilTarget(kFirstLoadPercent + Friction(kReferenceRpm))) {
    ChangeLoadNowAndThen();
    loadPercent_ = kFirstLoadPercent;
}

void EngineModel::Start() {
    phase_ = Phase::Cranking;
    speedRpm_ = filteredRpm_ = 0;
    fuelCut_ = false;
    fuelOnTheWay_.fill(0);
    ++starts_;
}

void EngineModel::Settle(const EngineSettings& settings) {
    phase_ = Phase::Running;
    speedRpm_ = filteredRpm_ = rampedRpm_ = Limit(settings.setpointRpm, settings.idleRpm, settings.maxRpm);
    const double fuel = loadPercent_ + Friction(speedRpm_);
    integralPercent_ = actuatorPercent_ = fuel;
    fuelOnTheWay_.fill(fuel);
    coolantTempC_ = CoolantTarget(fuel);
    oilTempC_ = OilTarget(fuel);
    boostBar_ = BoostTarget(fuel, speedRpm_);
    Measure(speedRpm_);
}

void EngineModel::ChangeLoadNowAndThen() {
    if (stepsToLoadChange_ > 0) {
        --stepsToLoadChange_;
        return;
    }
    loadPercent_ = kLowestLoadPercent + kLoadStepPercent * std::floor(noise_.Uniform() * kLoadLevels);
    stepsToLoadChange_ = static_cast<uint64_t>((kShortestLoadS + kLoadSpreadS * noise_.Uniform()) / kStepS);
}

double EngineModel::Control(const EngineSettings& s, double measuredRpm) {
    const double low = s.actuatorMinPercent;
    const double high = s.actuatorMaxPercent;
    if (phase_ == Phase::Cranking) {
        if (speedRpm_ < s.startRpm) return Limit(s.startFuelPercent, low, high);
        // Bumpless: the loop goes on from the start fuel at today's speed.
        phase_ = Phase::Running;
        rampedRpm_ = speedRpm_;
        integralPercent_ = s.startFuelPercent;
    }
    const double target = Limit(s.setpointRpm, s.idleRpm, s.maxRpm);
    if (!s.rampOn) {
        rampedRpm_ = target;
    } else if (rampedRpm_ < target) {
        rampedRpm_ = std::min(target, rampedRpm_ + s.rampUpRpmPerS * kStepS);
    } else {
        rampedRpm_ = std::max(target, rampedRpm_ - s.rampDownRpmPerS * kStepS);
    }
    const double droop = s.droopOn ? s.droopPercent / 100.0 * s.ratedRpm * actuatorPercent_ / 100.0 : 0;
    readings_.setpointRpm = rampedRpm_ - droop;

    const double error = readings_.setpointRpm - measuredRpm;
    const double previousRpm = filteredRpm_;
    filteredRpm_ = Follow(filteredRpm_, measuredRpm, kDerivativeFilterS);
    const double p = s.gainP * kPPercentPerRpm * error;
    const double d = -s.gainD * kDPercentPerRpmPerS * (filteredRpm_ - previousRpm) / kStepS;
    // The integral keeps the sum within the actuator's travel (no wind-up).
    integralPercent_ =
        Limit(integralPercent_ + s.gainI * kIPercentPerRpmS * error * kStepS, low - p - d, high - p - d);

    if (measuredRpm > s.overspeedRpm) {
        fuelCut_ = true;
    } else if (measuredRpm < s.overspeedRpm - kOverspeedHysteresisRpm) {
        fuelCut_ = false;
    }
    return fuelCut_ ? low : Limit(p + integralPercent_ + d, low, high);
}

void EngineModel::Step(const EngineSettings& s) {
    const double measuredRpm = std::max(0.0, speedRpm_ + kSensorNoiseRpm * noise_.Gaussian());
    const double torqueNoise = kTorqueNoisePercent * noise_.Gaussian();
    const bool turning = phase_ != Phase::Stopped;
    if (phase_ == Phase::Running) ChangeLoadNowAndThen();

    const double demand = turning ? Control(s, measuredRpm) : 0;
    actuatorPercent_ = Follow(actuatorPercent_, demand, kActuatorLagS);
    const double fuel =
        turning ? Limit(actuatorPercent_, std::max(0.0, s.fuelMinPercent), s.fuelMaxPercent) : 0;
    const double delivered = fuelOnTheWay_[fuelAt_];
    fuelOnTheWay_[fuelAt_] = fuel;
    fuelAt_ = (fuelAt_ + 1) % kDeadTimeSteps;

    const double load = phase_ == Phase::Running ? loadPercent_ : 0;  // the clutch closes once it runs
    const double combustion = delivered > 0 ? delivered + torqueNoise : 0;
    double accel = kAccelRpmPerSPerPercent * (combustion - load - Friction(speedRpm_));
    if (phase_ == Phase::Cranking) accel += std::max(0.0, kStarterRpmPerS * (1 - speedRpm_ / kCrankRpm));
    speedRpm_ = std::max(0.0, speedRpm_ + accel * kStepS);
    if (phase_ == Phase::Running && speedRpm_ < kStallRpm) phase_ = Phase::Stopped;

    Warm(kStepS);
    boostBar_ = Follow(boostBar_, BoostTarget(delivered, speedRpm_), kBoostLagS);
    Measure(measuredRpm);
}

void EngineModel::Warm(double dtS) {
    if (phase_ == Phase::Stopped) {
        coolantTempC_ = Follow(coolantTempC_, kRoomC, kCoolingLagS, dtS);
        oilTempC_ = Follow(oilTempC_, kRoomC, kCoolingLagS, dtS);
        return;
    }
    const double fuel = fuelOnTheWay_[fuelAt_];
    coolantTempC_ = Follow(coolantTempC_, CoolantTarget(fuel), kCoolantLagS, dtS);
    oilTempC_ = Follow(oilTempC_, OilTarget(fuel), kOilLagS, dtS);
}

void EngineModel::Measure(double measuredRpm) {
    EngineReadings& r = readings_;
    r.speedRpm = measuredRpm;
    if (phase_ != Phase::Running) r.setpointRpm = 0;
    r.actuatorPercent = actuatorPercent_;
    r.fuelPercent = fuelOnTheWay_[(fuelAt_ + kDeadTimeSteps - 1) % kDeadTimeSteps];
    r.boostBar = boostBar_;
    r.oilPressureBar = speedRpm_ > 0 ? std::max(0.0, kOilPressureIdleBar + kOilPressureBarPerRpm * speedRpm_ -
                                                         kOilPressureBarPerHotC * (oilTempC_ - kOilBaseC))
                                     : 0;
    r.oilTempC = oilTempC_;
    r.coolantTempC = coolantTempC_;
    r.actuatorCurrentMa =
        phase_ != Phase::Stopped
            ? kActuatorCurrentBaseMa + kActuatorCurrentMaPerPercent * std::max(0.0, actuatorPercent_)
            : 0;
    r.loadPercent = phase_ == Phase::Running ? loadPercent_ : 0;
    r.running = phase_ == Phase::Running;
    r.fuelCut = fuelCut_;
}

}  // namespace vekgov
