#include "Translation.hpp"

#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <algorithm>
#include <fstream>

namespace vektool {

namespace {

// The library hands the callback a buffer of this many units.
constexpr std::size_t kTranslationCapacity = 512;

// The catalog in use; the library's callbacks carry no catalog of their own
// (the user data belongs to the progress display).
Catalog& ActiveCatalog() {
    static Catalog catalog;
    return catalog;
}

std::string Unescape(const std::string& text, const std::string& where) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        const char next = i + 1 < text.size() ? text[++i] : 0;
        switch (next) {
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: throw ToolError(where + ": unknown escape '\\" + std::string(next ? 1 : 0, next) + "'");
        }
    }
    return out;
}

void VEK_CALL Translate(void*, const VekChar* text, VekChar* out) {
    const auto found = ActiveCatalog().find(reinterpret_cast<const char16_t*>(text));
    if (found == ActiveCatalog().end()) return;  // an empty answer keeps the English text
    const std::size_t length = std::min(found->second.size(), kTranslationCapacity - 1);
    std::copy_n(found->second.data(), length, reinterpret_cast<char16_t*>(out));
    out[length] = 0;
}

}  // namespace

Catalog LoadCatalog(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw ToolError("cannot read the catalog " + path);
    Catalog catalog;
    std::string line;
    for (unsigned number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string where = path + ":" + std::to_string(number);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) throw ToolError(where + ": expected 'English text<TAB>translation'");
        try {
            catalog[FromUtf8(Unescape(line.substr(0, tab), where))] = FromUtf8(Unescape(line.substr(tab + 1), where));
        } catch (const ToolError& notUtf8) {
            throw ToolError(where + ": " + notUtf8.what());
        }
    }
    return catalog;
}

void InstallTranslation(const std::string& path) {
    ActiveCatalog() = LoadCatalog(path);
    VekSetCallback(VEK_CALLBACK_TRANSLATE, reinterpret_cast<VekCallback>(Translate));
}

}  // namespace vektool
