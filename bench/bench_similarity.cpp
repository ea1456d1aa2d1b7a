// VekStrSimilarity and VekFindParDefBySimilarity over 10,000 realistic names,
// checked value by value against Python's
// difflib.SequenceMatcher(None, a, b, autojunk=False).ratio() (run through
// difflib_ratio.py) and timed against it; then the Google Benchmark cases.
//
//   bench_similarity [--python PATH] [benchmark options]
#include "RealisticNames.hpp"
#include "VekLib.h"
#include "core/Text.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kNameCount = 10000;
constexpr std::size_t kQueryCount = 10;
constexpr int kTimingRuns = 5;
constexpr uint16_t kSearchPercent = 80;
constexpr uint16_t kNeverFound = 101;  // above 100 %: the search walks every definition

struct Pair {
    std::string a;  // UTF-8, the definition's name (the first text of the search)
    std::string b;  // UTF-8, the name looked for
};

struct Workload {
    std::vector<std::string> names;
    std::vector<std::string> queries;
    std::vector<Pair> pairs;  // every name against every query, then the edge pairs
    std::size_t searchPairs = 0;
};

// Texts on which the two measures are expected to part: see Explain().
const Pair kEdgePairs[] = {
    {"", ""},
    {"", "Speed"},
    {"Speed", ""},
    {"Motor\xF0\x9D\x9C\x94", "Motor\xF0\x9D\x9C\x94Max"},  // U+1D714, outside the 16-bit range
    {"\xCF\x89Motor", "\xCF\x89MotorMax"},                  // U+03C9, one UTF-16 unit
    {"Temp\xC2\xB0", "temp\xC2\xB0"},
};

Workload MakeWorkload() {
    Workload w;
    w.names = vekbench::RealisticNames(kNameCount);
    vekbench::Sequence pick(4711);
    for (std::size_t q = 0; q < kQueryCount; ++q) {
        w.queries.push_back(vekbench::Misspelled(w.names[pick.Below(w.names.size())], pick.Next()));
    }
    for (const std::string& query : w.queries) {
        for (const std::string& name : w.names) w.pairs.push_back({name, query});
    }
    w.searchPairs = w.pairs.size();
    for (const Pair& edge : kEdgePairs) w.pairs.push_back(edge);
    return w;
}

std::u16string Utf16(const std::string& utf8) { return vek::FromUtf8(utf8); }
const VekChar* Api(const std::u16string& text) { return reinterpret_cast<const VekChar*>(text.c_str()); }

bool HasCharacterOutside16Bits(const std::u16string& text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; });
}

std::string Explain(const std::u16string& a, const std::u16string& b) {
    if (a.empty() && b.empty()) {
        return "two empty texts: difflib calls them equal (1.0), the library finds nothing in common (0.0)";
    }
    if (HasCharacterOutside16Bits(a) || HasCharacterOutside16Bits(b)) {
        return "a character outside the 16-bit range: two UTF-16 units here, one code point in Python";
    }
    return "NOT EXPLAINED";
}

struct Reference {
    double nanosecondsPerComparison = 0;
    std::vector<double> ratios;
};

bool RunDifflib(const std::string& python, const Workload& w, Reference& ref) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::filesystem::path pairsFile = dir / "vek_bench_pairs.txt";
    const std::filesystem::path outFile = dir / "vek_bench_ratios.txt";
    {
        std::ofstream out(pairsFile, std::ios::binary);
        for (const Pair& p : w.pairs) out << p.a << '\t' << p.b << '\n';
    }
    const std::string script = std::string(VEK_BENCH_SOURCE_DIR) + "/difflib_ratio.py";
    const std::string command = python + " \"" + script + "\" \"" + pairsFile.string() + "\" \"" +
                                outFile.string() + "\"";
    if (std::system(command.c_str()) != 0) return false;
    std::ifstream in(outFile);
    std::string line;
    if (!std::getline(in, line)) return false;
    ref.nanosecondsPerComparison = std::strtod(line.c_str(), nullptr);
    while (std::getline(in, line)) ref.ratios.push_back(std::strtod(line.c_str(), nullptr));
    std::filesystem::remove(pairsFile);
    std::filesystem::remove(outFile);
    return ref.ratios.size() == w.pairs.size();
}

template <class Work>
double BestNanoseconds(std::size_t comparisons, Work work) {
    double best = 0;
    for (int run = 0; run < kTimingRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
        const double perComparison = elapsed.count() / static_cast<double>(comparisons);
        best = run == 0 ? perComparison : std::min(best, perComparison);
    }
    return best;
}

void LoadStore(const std::vector<std::string>& names) {
    VekClearParDefs();
    uint32_t id = 0;
    for (const std::string& name : names) {
        ParDef* def = VekAddParDef(id++);
        const std::u16string text = Utf16(name);
        std::memcpy(def->Name, text.c_str(), (std::min<std::size_t>(text.size(), 49) + 1) * sizeof(char16_t));
    }
    VekValidateAllParDefs();
}

// The position of the first definition whose ratio reaches the threshold, or the count.
std::size_t FirstAtThreshold(const std::vector<double>& ratios, std::size_t from, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (ratios[from + i] >= kSearchPercent / 100.0) return i;
    }
    return count;
}

int CompareWithDifflib(const std::string& python, const Workload& w) {
    Reference ref;
    if (!RunDifflib(python, w, ref)) {
        std::cout << "difflib comparison skipped: '" << python << "' could not run difflib_ratio.py\n";
        return 1;
    }
    std::vector<std::pair<std::u16string, std::u16string>> texts;
    for (const Pair& p : w.pairs) texts.emplace_back(Utf16(p.a), Utf16(p.b));

    std::size_t equal = 0;
    int unexplained = 0;
    std::cout << "Similarity against difflib.SequenceMatcher(None, a, b, autojunk=False).ratio()\n";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const double ours = VekStrSimilarity(Api(texts[i].first), Api(texts[i].second));
        if (ours == ref.ratios[i]) {
            ++equal;
            continue;
        }
        const std::string why = Explain(texts[i].first, texts[i].second);
        unexplained += why == "NOT EXPLAINED";
        std::printf("  differs: \"%s\" / \"%s\": %.17g here, %.17g in difflib: %s\n", w.pairs[i].a.c_str(),
                    w.pairs[i].b.c_str(), ours, ref.ratios[i], why.c_str());
    }
    std::printf("  pairs compared %zu, equal values %zu, differing %zu (unexplained %d)\n", texts.size(), equal,
                texts.size() - equal, unexplained);

    // The time of the realistic pairs only.
    const std::size_t n = w.searchPairs;
    volatile double sink = 0;
    const double ours = BestNanoseconds(n, [&] {
        for (std::size_t i = 0; i < n; ++i) sink = sink + VekStrSimilarity(Api(texts[i].first), Api(texts[i].second));
    });
    std::printf("  time per comparison: VekStrSimilarity %.1f ns, difflib %.1f ns (all pairs): %.1fx less\n", ours,
                ref.nanosecondsPerComparison, ref.nanosecondsPerComparison / ours);

    LoadStore(w.names);
    std::vector<std::u16string> queries;
    for (const std::string& q : w.queries) queries.push_back(Utf16(q));
    const double search = BestNanoseconds(n, [&] {
        for (const std::u16string& q : queries) sink = sink + (VekFindParDefBySimilarity(Api(q), 0, kNeverFound) != nullptr);
    });
    std::printf("  time per comparison in VekFindParDefBySimilarity: %.1f ns: %.1fx less than difflib\n", search,
                ref.nanosecondsPerComparison / search);

    // The search finds the first definition that difflib's ratio puts at the threshold.
    int searchMismatches = 0;
    for (std::size_t q = 0; q < queries.size(); ++q) {
        const ParDef* found = VekFindParDefBySimilarity(Api(queries[q]), 0, kSearchPercent);
        const std::size_t expected = FirstAtThreshold(ref.ratios, q * w.names.size(), w.names.size());
        const std::size_t got = found ? found->Id : w.names.size();
        searchMismatches += got != expected;
        std::printf("  search %-28s at %u%%: position %zu (difflib: %zu)\n", w.queries[q].c_str(), kSearchPercent,
                    got, expected);
    }
    return unexplained + searchMismatches == 0 ? 0 : 1;
}

void BM_StrSimilarity(benchmark::State& state) {
    static const Workload w = MakeWorkload();
    std::vector<std::pair<std::u16string, std::u16string>> texts;
    for (std::size_t i = 0; i < w.searchPairs; ++i) texts.emplace_back(Utf16(w.pairs[i].a), Utf16(w.pairs[i].b));
    for (auto _ : state) {
        for (const auto& [a, b] : texts) benchmark::DoNotOptimize(VekStrSimilarity(Api(a), Api(b)));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.size()));
}
BENCHMARK(BM_StrSimilarity)->Unit(benchmark::kMillisecond);

void BM_FindParDefBySimilarity(benchmark::State& state) {
    static const Workload w = MakeWorkload();
    LoadStore(w.names);
    const std::u16string query = Utf16(w.queries.front());
    for (auto _ : state) benchmark::DoNotOptimize(VekFindParDefBySimilarity(Api(query), 0, kNeverFound));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * w.names.size()));
}
BENCHMARK(BM_FindParDefBySimilarity)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    std::string python = "python3";
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--python") == 0 && i + 1 < argc) {
            python = argv[++i];
        } else {
            rest.push_back(argv[i]);
        }
    }
    const int comparison = CompareWithDifflib(python, MakeWorkload());
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return comparison;
}
