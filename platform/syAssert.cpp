#include "platform/syAssert.h"

#include <atomic>
#include <cstdio>

namespace {

void default_hook(const char* expression, const char* file, int line, const char* function) {
    std::fprintf(stderr, "assertion failed: %s (%s:%d, %s)\n", expression, file, line, function);
}

std::atomic<syAssertHook> g_hook{&default_hook};

} // namespace

syAssertHook sy_set_assert_hook(syAssertHook hook) { return g_hook.exchange(hook ? hook : &default_hook); }

void sy_assert_failed(const char* expression, const char* file, int line, const char* function) {
    g_hook.load()(expression, file, line, function);
}
