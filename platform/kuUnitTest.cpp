#include "platform/kuUnitTest.h"

#include <atomic>
#include <cstdarg>
#include <deque>
#include <mutex>
#include <string>

#include "platform/syAssert.h"

namespace {

std::atomic<kuUnitTest*> g_tester{nullptr};
std::atomic<int> g_assert_count{0};
std::atomic<syAssertHook> g_previous_hook{nullptr};

std::mutex g_varargs_mutex;
std::deque<std::string>& varargs_texts() {
    static std::deque<std::string>* texts = new std::deque<std::string>;
    return *texts;
}

void counting_hook(const char*, const char*, int, const char*) { g_assert_count.fetch_add(1); }

std::string vformat(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

} // namespace

kuUnitTest::kuUnitTest() = default;

kuUnitTest::~kuUnitTest() {
    if (m_expecting)
        sy_set_assert_hook(g_previous_hook.load());
    kuUnitTest* self = this;
    g_tester.compare_exchange_strong(self, nullptr);
}

void kuUnitTest::utest_handler(int pass, const char* expression, const char* source_path, int line,
                               const char* description, const char* function) {
    if (pass) {
        ++m_passed;
        return;
    }
    ++m_failed;
    std::fprintf(stdout, "FAILED %s:%d %s: %s [%s]\n", source_path ? source_path : "", line, function ? function : "",
                 description ? description : "", expression ? expression : "");
}

void kuUnitTest::printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
}

kuUnitTest* kuUnitTest::get_tester() { return g_tester.load(); }

kuUnitTest* kuUnitTest::set_tester(kuUnitTest* tester) { return g_tester.exchange(tester); }

const char* kuUnitTest::build_varargs(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(g_varargs_mutex);
    varargs_texts().push_back(std::move(text));
    return varargs_texts().back().c_str();
}

void kuUnitTest::release_varargs() {
    std::lock_guard<std::mutex> lock(g_varargs_mutex);
    varargs_texts().clear();
}

void kuUnitTest::expect_assert_min(int n) {
    if (!m_expecting)
        g_previous_hook.store(sy_set_assert_hook(&counting_hook));
    m_expecting = true;
    m_assert_expected = n;
    m_assert_count_at_start = g_assert_count.load();
}

void kuUnitTest::check_assert() {
    int raised = g_assert_count.load() - m_assert_count_at_start;
    if (m_expecting)
        sy_set_assert_hook(g_previous_hook.load());
    m_expecting = false;
    const char* description = build_varargs("expected at least %d assertion(s), %d raised", m_assert_expected, raised);
    utest_handler(raised >= m_assert_expected ? 1 : 0, "check_assert()", "kuUnitTest", __LINE__, description,
                  "kuUnitTest::check_assert");
}

std::string kuUnitTest::format_va(const char* format, va_list args) { return vformat(format, args); }

void kuUnitTest::print_summary(std::FILE* out) const {
    std::fprintf(out, "%d passed, %d failed\n", m_passed, m_failed);
}
