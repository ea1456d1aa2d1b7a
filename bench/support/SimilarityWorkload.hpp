// The similarity workload: 10,000 realistic names, ten misspelled queries,
// every name against every query, then pairs on which the library and
// Python's difflib are expected to part; and difflib's figures for them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vekbench {

struct NamePair {
    std::string a;  // UTF-8, the definition's name (the first text of the search)
    std::string b;  // UTF-8, the name looked for
};

struct SimilarityWorkload {
    std::vector<std::string> names;
    std::vector<std::string> queries;
    std::vector<NamePair> pairs;  // every name against every query, then the edge pairs
    std::size_t searchPairs = 0;  // the realistic pairs at the front
};

SimilarityWorkload MakeSimilarityWorkload();

// What difflib_ratio.py measured in Python on the same pairs.
struct DifflibReference {
    double nanosecondsPerRatio = 0;
    double nanosecondsPerNameComparison = 0;  // casefold() equality, the name lookup's comparison
    std::vector<double> ratios;               // one a pair
};

// Runs difflib_ratio.py with python; false when it could not run.
bool RunDifflib(const std::string& python, const SimilarityWorkload& w, DifflibReference& ref);

// Why the two measures part on a pair, or "NOT EXPLAINED".
std::string ExplainDifference(const std::u16string& a, const std::u16string& b);

// Fills the definition store with one definition a name, numbered from 0.
void LoadNamesIntoStore(const std::vector<std::string>& names);

}  // namespace vekbench
