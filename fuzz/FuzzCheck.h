// A property of a fuzz target: when it fails, the target says which and aborts,
// so that libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzPropertyFailed(const char* property, int line) {
    std::fprintf(stderr, "property failed at line %d: %s\n", line, property);
    std::abort();
}

#define FUZZ_REQUIRE(...)                                                                          \
    ((__VA_ARGS__) ? static_cast<void>(0) : FuzzPropertyFailed(#__VA_ARGS__, __LINE__))
