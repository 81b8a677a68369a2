#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>

void omFuzzCheckFailed(const char* expr, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, expr);
    std::abort();
}
