#pragma once

#include <cstdio>
#include <cstdlib>

// A property every input must keep; a broken one is a finding: say which and
// abort, so the fuzzer keeps the input.
inline void fuzzCheck(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}
