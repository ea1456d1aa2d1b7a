#include "SimilarityWorkload.hpp"

#include "VekLib.h"
#include "RealisticNames.hpp"
#include "text/Text.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace vekbench {

namespace {

constexpr std::size_t kNameCount = 10000;
constexpr std::size_t kQueryCount = 10;
constexpr uint32_t kQuerySeed = 4711;
constexpr std::size_t kNameCapacity = 49;  // characters of ParDef::Name before its terminator

// Texts on which the two measures are expected to part: see ExplainDifference.
const NamePair kEdgePairs[] = {
    {"", ""},
    {"", "Speed"},
    {"Speed", ""},
    {"Motor\xF0\x9D\x9C\x94", "Motor\xF0\x9D\x9C\x94Max"},  // U+1D714, outside the 16-bit range
    {"\xCF\x89Motor", "\xCF\x89MotorMax"},                  // U+03C9, one UTF-16 unit
    {"Temp\xC2\xB0", "temp\xC2\xB0"},
};

bool HasCharacterOutside16Bits(const std::u16string& text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; });
}

}  // namespace

SimilarityWorkload MakeSimilarityWorkload() {
    SimilarityWorkload w;
    w.names = RealisticNames(kNameCount);
    Sequence pick(kQuerySeed);
    for (std::size_t q = 0; q < kQueryCount; ++q) {
        w.queries.push_back(Misspelled(w.names[pick.Below(w.names.size())], pick.Next()));
    }
    for (const std::string& query : w.queries) {
        for (const std::string& name : w.names) w.pairs.push_back({name, query});
    }
    w.searchPairs = w.pairs.size();
    for (const NamePair& edge : kEdgePairs) w.pairs.push_back(edge);
    return w;
}

bool RunDifflib(const std::string& python, const SimilarityWorkload& w, DifflibReference& ref) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::filesystem::path pairsFile = dir / "vek_bench_pairs.txt";
    const std::filesystem::path outFile = dir / "vek_bench_ratios.txt";
    {
        std::ofstream out(pairsFile, std::ios::binary);
        for (const NamePair& p : w.pairs) out << p.a << '\t' << p.b << '\n';
    }
    const std::string script = std::string(VEK_BENCH_SOURCE_DIR) + "/difflib_ratio.py";
    const std::string command = python + " \"" + script + "\" \"" + pairsFile.string() + "\" \"" +
                                outFile.string() + "\"";
    const bool ran = std::system(command.c_str()) == 0;
    std::ifstream in(outFile);
    std::string line;
    if (ran && std::getline(in, line)) ref.nanosecondsPerRatio = std::strtod(line.c_str(), nullptr);
    if (ran && std::getline(in, line)) ref.nanosecondsPerNameComparison = std::strtod(line.c_str(), nullptr);
    while (ran && std::getline(in, line)) ref.ratios.push_back(std::strtod(line.c_str(), nullptr));
    std::filesystem::remove(pairsFile);
    std::filesystem::remove(outFile);
    return ref.ratios.size() == w.pairs.size();
}

std::string ExplainDifference(const std::u16string& a, const std::u16string& b) {
    if (a.empty() && b.empty()) {
        return "two empty texts: difflib calls them equal (1.0), the library finds nothing in common (0.0)";
    }
    if (HasCharacterOutside16Bits(a) || HasCharacterOutside16Bits(b)) {
        return "a character outside the 16-bit range: two UTF-16 units here, one code point in Python";
    }
    return "NOT EXPLAINED";
}

void LoadNamesIntoStore(const std::vector<std::string>& names) {
    VekClearParDefs();
    uint32_t id = 0;
    for (const std::string& name : names) {
        ParDef* def = VekAddParDef(id++);
        const std::u16string text = vek::FromUtf8(name);
        const std::size_t length = std::min(text.size(), kNameCapacity);
        std::memcpy(def->Name, text.c_str(), length * sizeof(char16_t));
        def->Name[length] = 0;
    }
    VekValidateAllParDefs();
}

}  // namespace vekbench
