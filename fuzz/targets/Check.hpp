// An invariant of a fuzz target: when it breaks, the input is a finding, so
// the process stops at once with the reason (libFuzzer keeps the input).
#pragma once

#include <cstdio>
#include <cstdlib>

#define VEK_FUZZ_CHECK(condition, what)                                                  \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: broken invariant: %s\n", __FILE__, __LINE__, what); \
            std::abort();                                                                \
        }                                                                                \
    } while (false)
