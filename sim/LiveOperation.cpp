#include "LiveOperation.hpp"

#include "ActualErrors.hpp"
#include "EngineLink.hpp"
#include "EngineNumbers.hpp"
#include "GovernorModel.hpp"
#include "TimedLists.hpp"
#include "Values.hpp"

namespace vekgov {

namespace {

void ApplySwitches(GovernorModel& model, const std::vector<ErrorSwitch>& switches, uint64_t atMs) {
    for (const ErrorSwitch& change : switches) {
        SetErrorStateAt(model, change.number, change.present ? error_state::Present : error_state::Absent,
                        atMs);
    }
}

// Steps the engine up to now with the parameters of now: they change only
// with a request, and this runs before each one.
void RunEngine(GovernorModel& model, uint64_t nowMs) {
    LiveOperationArea& live = model.live;
    EngineModel& engine = *live.engine;
    if (nowMs > live.steppedToMs + kMaxCatchUpMs) live.steppedToMs = nowMs - kMaxCatchUpMs;
    const EngineSettings settings = ReadEngineSettings(model);
    const MonitoredLimits limits = ReadMonitoredLimits(model);
    while (live.steppedToMs + EngineModel::kStepMs <= nowMs) {
        const uint64_t at = live.steppedToMs += EngineModel::kStepMs;
        engine.Step(settings);
        const double volts = SupplyVolts(engine.Readings().running, at);
        const std::vector<ErrorSwitch> switches = live.monitor.Check(engine.Readings(), volts, limits, at);
        if (switches.empty()) continue;
        // The error memory records the measurements of the moment.
        WriteEngineReadings(model, engine, volts, at);
        ApplySwitches(model, switches, at);
    }
    WriteEngineReadings(model, engine, SupplyVolts(engine.Readings().running, live.steppedToMs),
                        live.steppedToMs);
}

void SettleEngine(GovernorModel& model) {
    EngineModel& engine = *model.live.engine;
    engine.Settle(ReadEngineSettings(model));
    const uint64_t now = model.clock.NowMs();
    WriteEngineReadings(model, engine, SupplyVolts(true, now), now);
}

}  // namespace

void StartLiveOperation(GovernorModel& model, const LiveSettings& settings) {
    LiveOperationArea& live = model.live;
    if (live.engine) return;
    live.engine.emplace(settings.seed);
    if (settings.still) {
        SettleEngine(model);
        return;
    }
    live.running = true;
    live.steppedToMs = model.clock.NowMs();
    live.engine->Start();
    model.clock.Advance(kLiveStartUptimeMs);
    if (settings.realTime) model.clock.FollowRealTime();
    UseBuiltInErrorCycle(model.actualErrors);
    // The supply error comes from the measured supply against its limits.
    DropFromCycle(model.actualErrors, engine_number::ErrSupplyLow);
}

void PassTime(GovernorModel& model) {
    if (model.live.running) RunEngine(model, model.clock.NowMs());
    UpdateActualErrors(model);
    if (!model.live.running) return;
    if (const auto timer = TimerNumber(model.profile)) WriteValue(model, *timer, model.clock.Timer16());
}

void RestartEngine(GovernorModel& model) {
    LiveOperationArea& live = model.live;
    if (!live.engine) return;
    if (!live.running) {
        SettleEngine(model);
        return;
    }
    live.engine->Start();
}

}  // namespace vekgov
