#include "ValueFormat.hpp"

#include "TextOut.hpp"

namespace vektool {

namespace {

constexpr uint16_t kValueTextCapacity = 64;

}  // namespace

std::string WithUnit(const std::string& text, const ParDef& def) {
    const std::string unit = ToUtf8(def.Unit);
    return unit.empty() ? text : text + " " + unit;
}

std::string StoredValueText(const ParDef& def) {
    VekChar text[kValueTextCapacity] = {};
    return VekGetValue(def.Id, text, kValueTextCapacity) ? ToUtf8(text) : "?";
}

std::string RealValueText(uint32_t id, double value) {
    VekChar text[kValueTextCapacity] = {};
    VekFormatValue(id, value, text, kValueTextCapacity);
    return ToUtf8(text);
}

Json StoredValueJson(const ParDef& def) {
    double real = 0;
    const bool hasReal = VekGetRealValue(def.Id, &real) != 0;
    return {{"number", +def.Id},
            {"name", ToUtf8(def.Name)},
            {"value", hasReal ? Json(real) : Json(nullptr)},
            {"text", StoredValueText(def)},
            {"unit", ToUtf8(def.Unit)},
            {"raw", +def.RawValue}};
}

}  // namespace vektool
