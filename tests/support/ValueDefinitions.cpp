#include "support/ValueDefinitions.hpp"

#include "core/State.hpp"
#include "pardef/Record.hpp"

#include <algorithm>
#include <cstring>

namespace vektest {

namespace {

void SetText(VekChar* field, std::size_t capacity, const std::u16string& text) {
    std::memset(field, 0, capacity * sizeof(VekChar));
    std::memcpy(field, text.data(), std::min(text.size(), capacity - 1) * sizeof(VekChar));
}

}  // namespace

ParDef* Define(uint32_t id, int32_t min, int32_t max, uint8_t format, uint8_t intCode, const std::u16string& unit,
               const std::u16string& name) {
    ParDef* def = VekAddParDef(id);
    def->Min = min;
    def->Max = max;
    def->Format = format;
    def->IntCode = intCode;
    SetText(def->Unit, vek::kUnitCapacity, unit);
    SetText(def->Name, vek::kNameCapacity, name);
    const double divisor = vek::DecimalDivisor(vek::Decimals(format));
    def->RealMin = min / divisor;
    def->RealMax = max / divisor;
    return def;
}

ParDef* DefineRanged(uint32_t id, uint32_t lowId, uint32_t highId, uint8_t format) {
    ParDef* def = Define(id, 0, 0, format, intcode::Range);
    def->RealMin = lowId;
    def->RealMax = highId;
    return def;
}

void ResetValueState() {
    VekClearParDefs();
    vek::CoreState& core = vek::Core();
    core.device = VekStruct{};
    core.callbacks = vek::Callbacks{};
    core.directSetFlag = 1;
    core.transferBlockSize = vek::kDefaultTransferBlockSize;
    core.lastStatus = 0;
    const int32_t table[][2] = {{0, 65535}, {-32768, 32767}, {0, 1023}, {5, 5}};
    std::memcpy(core.device.IntCodeTable, table, sizeof table);
    core.device.IntCodeCount = intcode::Count;
    core.device.IntCodeTable[intcode::Range][0] = 0;
    core.device.IntCodeTable[intcode::Range][1] = 32767;
}

std::u16string ToText(const VekChar* text) { return reinterpret_cast<const char16_t*>(text); }

}  // namespace vektest
