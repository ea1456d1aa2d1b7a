#!/usr/bin/env python3
"""Reference figures for the similarity and name lookup rows of vek_bench.

Reads pairs of texts (one pair a line, UTF-8, separated by a tab), computes
difflib.SequenceMatcher(None, a, b, autojunk=False).ratio() for each, and
writes the time per comparison in nanoseconds (the best of several runs over
all pairs) on the first line, the time per name comparison up to letter case
(a.casefold() == b.casefold(), what a lookup by name does) on the second,
then one ratio a line in repr form, which reads back as the same double.

Usage: difflib_ratio.py PAIRS OUT [RUNS]
"""
import difflib
import sys
import time


def ratios(pairs):
    return [difflib.SequenceMatcher(None, a, b, autojunk=False).ratio() for a, b in pairs]


def same_names(pairs):
    return [a.casefold() == b.casefold() for a, b in pairs]


def best_nanoseconds(work, pairs, runs):
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        result = work(pairs)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best * 1e9 / max(len(pairs), 1), result


def main():
    pairs_file, out_file = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    with open(pairs_file, encoding="utf-8", newline="\n") as f:
        pairs = [line.rstrip("\n").split("\t") for line in f]
    ratio_ns, result = best_nanoseconds(ratios, pairs, runs)
    name_ns, _ = best_nanoseconds(same_names, pairs, runs)
    with open(out_file, "w", encoding="utf-8") as f:
        f.write("%r\n" % ratio_ns)
        f.write("%r\n" % name_ns)
        for r in result:
            f.write("%r\n" % r)


if __name__ == "__main__":
    main()
