#include "pardef/Similarity.hpp"

#include "VekLib.h"
#include "core/ExportGuard.hpp"

#include <cstdint>
#include <utility>
#include <vector>

namespace vek {

namespace {

struct Run {
    std::size_t a = 0;
    std::size_t b = 0;
    std::size_t length = 0;
};

// A part of both texts still to be matched: a[aLow, aHigh) against b[bLow, bHigh).
struct Span {
    std::size_t aLow, aHigh, bLow, bHigh;
};

// Scratch space of the matcher: the two rows of the run table (cell j + 1
// holds the length of the common run that ends at the current character of a
// and at b[bLow + j]) and the spans still to match. Kept per thread, so that a
// comparison allocates nothing once the buffers have grown.
struct Scratch {
    std::vector<uint32_t> previous;
    std::vector<uint32_t> current;
    std::vector<Span> pending;
};

Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

// The longest common run within the span. Rows go down a, cells along b, and
// a run is recorded only when it is longer than the best so far: the first
// longest run in the order of its end wins, which for equally long runs is
// the order of their start, earliest in a, then earliest in b.
Run LongestCommonRun(TextView a, TextView b, const Span& span, Scratch& scratch) {
    const std::size_t width = span.bHigh - span.bLow;
    scratch.previous.assign(width + 1, 0);
    scratch.current.resize(width + 1);
    scratch.current[0] = 0;  // no run ends before the span
    uint32_t* previous = scratch.previous.data();
    uint32_t* current = scratch.current.data();
    const Char* bSpan = b.data() + span.bLow;
    Run best;
    for (std::size_t i = span.aLow; i < span.aHigh; ++i) {
        const Char c = a[i];
        for (std::size_t j = 0; j < width; ++j) {
            const uint32_t length = bSpan[j] == c ? previous[j] + 1 : 0;
            current[j + 1] = length;
            if (length > best.length) best = {i + 1 - length, span.bLow + j + 1 - length, length};
        }
        std::swap(previous, current);
    }
    return best;
}

// Total of the characters in common runs (counted once). A list of spans
// instead of recursion keeps the stack flat for texts of any length.
std::size_t MatchedCharacters(TextView a, TextView b) {
    Scratch& scratch = ThreadScratch();
    std::vector<Span>& pending = scratch.pending;
    pending.assign(1, Span{0, a.size(), 0, b.size()});
    std::size_t matched = 0;
    while (!pending.empty()) {
        const Span span = pending.back();
        pending.pop_back();
        if (span.aLow == span.aHigh || span.bLow == span.bHigh) continue;
        const Run run = LongestCommonRun(a, b, span, scratch);
        if (run.length == 0) continue;
        matched += run.length;
        pending.push_back({span.aLow, run.a, span.bLow, run.b});
        const std::size_t aAfter = run.a + run.length;
        const std::size_t bAfter = run.b + run.length;
        if (aAfter < span.aHigh && bAfter < span.bHigh) pending.push_back({aAfter, span.aHigh, bAfter, span.bHigh});
    }
    return matched;
}

}  // namespace

double StrSimilarity(TextView a, TextView b) {
    if (a.empty() || b.empty()) return 0.0;
    const std::size_t matched = MatchedCharacters(a, b);
    return static_cast<double>(2 * matched) / static_cast<double>(a.size() + b.size());
}

}  // namespace vek

extern "C" VEK_API double VEK_CALL VekStrSimilarity(const VekChar* a, const VekChar* b) {
    return vek::Guarded<double>(__func__, 0.0, [&]() -> double {
        if (!a || !b) return 0.0;
        return vek::StrSimilarity(vek::FromApi(a), vek::FromApi(b));
    });
}
