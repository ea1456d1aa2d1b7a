#include "DefinitionLookup.hpp"

#include "TextOut.hpp"
#include "ToolError.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace vektool {

namespace {

constexpr uint32_t kAllKinds = 0xFF;

bool IsNumber(const std::string& word) {
    return !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

const ParDef& FindDefinition(const std::string& command, const std::string& item) {
    const ParDef* def = nullptr;
    if (IsNumber(item)) {
        errno = 0;
        const unsigned long long number = std::strtoull(item.c_str(), nullptr, 10);
        if (errno != ERANGE && number <= UINT32_MAX) def = VekGetParDef(static_cast<uint32_t>(number));
        if (!def) throw ToolError(command + ": no definition numbered " + item);
    } else {
        def = VekFindParDefByName(AsVekText(FromUtf8(item)), kAllKinds);
        if (!def) throw ToolError(command + ": no definition named '" + item + "'");
    }
    return *def;
}

std::string Describe(const ParDef& def) { return ToUtf8(def.Name) + " (" + std::to_string(def.Id) + ")"; }

}  // namespace vektool
