#include "DefinitionLookup.hpp"

#include "DefinitionKinds.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace vektool {

namespace {

bool IsNumber(const std::string& word) {
    return !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
}

// As the library compares names: A to Z in any case.
std::string Folded(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "GainP(2)" is an element of "gainp".
bool IsElementOf(const std::string& folded, const std::string& base) {
    if (folded.size() < base.size() + 3 || folded.compare(0, base.size(), base) != 0) return false;
    const std::string index = folded.substr(base.size());
    return index.front() == '(' && index.back() == ')' && IsNumber(index.substr(1, index.size() - 2));
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

std::vector<const ParDef*> FindDefinitionsNamed(const std::string& name, uint32_t kindMask) {
    const std::string base = Folded(name);
    std::vector<const ParDef*> found;
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef* def = VekGetParDefByIndex(i);
        if (!(KindOf(def->Id).maskBit & kindMask)) continue;
        const std::string folded = Folded(ToUtf8(def->Name));
        if (folded == base || IsElementOf(folded, base)) found.push_back(def);
    }
    return found;
}

std::string Describe(const ParDef& def) { return ToUtf8(def.Name) + " (" + std::to_string(def.Id) + ")"; }

}  // namespace vektool
