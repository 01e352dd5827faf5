#pragma once

#include <cstdio>
#include <cstdlib>

// A property that must hold for every input: when it does not, the fuzzer has found a fault and
// keeps the input that shows it.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
