// A small diesel engine under a speed governor: the governor's PID drives an
// actuator with a lag, the actuator sets the fuel, the fuel arrives after a
// dead time and turns an engine with inertia against a load that steps now
// and then. One step is 10 ms of the model's time; under the same seed the
// same settings give the same steps. It knows nothing of parameter numbers:
// EngineLink.hpp connects it to the governor's values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "SeededNoise.hpp"

namespace vekgov {

// The governor's parameters that the engine answers to, in their own units.
struct EngineSettings {
    double setpointRpm = 1500;  // the selected setpoint with its trim
    double idleRpm = 800;
    double ratedRpm = 1500;
    double maxRpm = 1650;
    double overspeedRpm = 1725;
    double startRpm = 300;  // the engine runs on its own from here
    bool rampOn = true;
    double rampUpRpmPerS = 100;
    double rampDownRpmPerS = 100;
    bool droopOn = false;
    double droopPercent = 4;  // of the rated speed, from no fuel to full fuel
    double gainP = 2;
    double gainI = 1;
    double gainD = 0.1;
    double actuatorMinPercent = 0.5;
    double actuatorMaxPercent = 99.5;
    double fuelMinPercent = 0;
    double fuelMaxPercent = 100;
    double startFuelPercent = 45;
};

// What the governor measures.
struct EngineReadings {
    double speedRpm = 0;
    double setpointRpm = 0;  // the ramped setpoint less the droop
    double actuatorPercent = 0;
    double fuelPercent = 0;
    double boostBar = 0;
    double oilPressureBar = 0;
    double oilTempC = 0;
    double coolantTempC = 0;
    double actuatorCurrentMa = 0;
    double loadPercent = 0;
    bool running = false;
    bool fuelCut = false;  // above the overspeed limit
};

class EngineModel {
public:
    static constexpr uint64_t kStepMs = 10;

    // A warm engine at a standstill.
    explicit EngineModel(uint64_t seed);

    // Stops the engine and cranks it with the start fuel; once it turns at
    // the start speed the speed loop takes over and ramps it up.
    void Start();
    // Puts the engine at its setpoint under its first load, as if it had run
    // there for long: the still governor's fixed state, without noise.
    void Settle(const EngineSettings& settings);
    void Step(const EngineSettings& settings);

    const EngineReadings& Readings() const { return readings_; }
    // Starts since the model was built.
    uint32_t Starts() const { return starts_; }

private:
    enum class Phase { Stopped, Cranking, Running };
    static constexpr size_t kDeadTimeSteps = 8;  // from the actuator to the torque

    // The actuator demand of the speed loop.
    double Control(const EngineSettings& settings, double measuredRpm);
    void ChangeLoadNowAndThen();
    void Warm(double dtS);
    void Measure(double measuredRpm);

    SeededNoise noise_;
    Phase phase_ = Phase::Stopped;
    double speedRpm_ = 0;
    double filteredRpm_ = 0;  // for the derivative term
    double rampedRpm_ = 0;
    double integralPercent_ = 0;
    double actuatorPercent_ = 0;
    std::array<double, kDeadTimeSteps> fuelOnTheWay_{};
    size_t fuelAt_ = 0;
    double loadPercent_;
    uint64_t stepsToLoadChange_;
    double coolantTempC_;
    double oilTempC_;
    double boostBar_ = 0;
    bool fuelCut_ = false;
    uint32_t starts_ = 0;
    EngineReadings readings_;
};

}  // namespace vekgov
