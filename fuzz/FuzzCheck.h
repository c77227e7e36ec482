#pragma once

// A broken invariant in a fuzz target: libFuzzer reports the crash and keeps the input.
#define KG_FUZZ_CHECK(condition) \
    do {                         \
        if (!(condition)) {      \
            __builtin_trap();    \
        }                        \
    } while (0)
