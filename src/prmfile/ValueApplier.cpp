#include "prmfile/ValueApplier.hpp"

#include "core/Report.hpp"
#include "pardef/Kinds.hpp"
#include "pardef/ParDefStore.hpp"
#include "pardef/Record.hpp"
#include "values/RealValues.hpp"
#include "values/ValueParsing.hpp"

#include <string>

namespace vek {

bool ValueApplier::Apply(std::string_view line, uint32_t lineNumber) {
    ValueLine value;
    if (!ParseValueLine(line, value)) {
        LogTranslated(u"Syntax error at line %u", lineNumber);
        return false;
    }
    if (!options_.includeMeasurements && IsKind(value.id, ParKind::Measurement)) return true;

    ParDef* target = nullptr;
    if (!FindTarget(value, target)) return false;
    if (!target) return true;

    // Without a unit, a hexadecimal parameter's value was written in decimal.
    const bool decimalForHex = !value.hasUnit && IsHexUnit(*target);
    return VekParseValue(target->Id, decimalForHex ? DecimalAsHexText(value.value) : value.value);
}

bool ValueApplier::FindTarget(const ValueLine& value, ParDef*& target) {
    ParDef* byNumber = FindParDef(value.id);
    if (byNumber && EqualsIgnoringAsciiCase(NameOf(*byNumber), value.name)) {
        target = byNumber;
        return true;
    }
    if (!options_.tolerant) {
        ReportError(u"Failed to set parameter [%d %s]", value.id, value.name);
        return false;
    }
    ParDef* byName = VekFindParDefByName(ToApi(value.name.c_str()), kind_mask::All);
    if (!mergeAgreed_) {
        if (!AskToMerge(value, byName)) {
            ReportError(u"Parameters update canceled because parameter names don't match with firmware");
            return false;
        }
        mergeAgreed_ = true;
    }
    if (!byName) {
        ReportError(u"Cannot find parameter [%s] definition", value.name);
        target = nullptr;
        return true;
    }
    target = byName;
    return true;
}

bool ValueApplier::AskToMerge(const ValueLine& value, const ParDef* byName) const {
    if (byName) {
        const uint32_t foundId = byName->Id;
        return AskQuestionText(
            Format(u"Parameter [%d %s] does not have the same id with this firmware [%d %s].\n\r\n\r"
                   u"Do you want to attempt to merge them together?",
                   value.id, value.name, foundId, value.name)
                .c_str());
    }
    return AskQuestionText(Format(u"Parameter [%d %s] cannot be found in this firmware.\n\r\n\r"
                                  u"Do you want to attempt to merge the both parameters definitions together?",
                                  value.id, value.name)
                               .c_str());
}

}  // namespace vek
