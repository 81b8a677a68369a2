#pragma once

/// @file
/// The unit-test harness that the conformance suites report to.

#include "omxmlExport.h"

#include <cstdarg>
#include <cstdio>
#include <string>

/// The unit-test harness. Checks report through utest_handler; the default
/// harness counts them and prints every failed one. A test program captures
/// reports by deriving from it and overriding utest_handler and printf.
/// get_tester() is the process-wide harness that suites report to.
class OMXML_PLATFORM_API kuUnitTest {
public:
    /// A harness with no report counted. It is not installed: see set_tester.
    kuUnitTest();
    /// Uninstalls the harness if it is the process-wide one.
    virtual ~kuUnitTest();
    /// A harness is not copied.
    kuUnitTest(const kuUnitTest&) = delete;
    /// A harness is not copied.
    kuUnitTest& operator=(const kuUnitTest&) = delete;

    /// Receives one check: pass is non-zero when it held; expression is the checked source text. This default
    /// counts it as passed or failed and prints a failed one through printf.
    virtual void utest_handler(int pass, const char* expression, const char* source_path, int line,
                               const char* description, const char* function);
    /// Writes formatted text and a line feed; this default writes to stdout.
    virtual void printf(const char* format, ...) OMXML_PRINTF_FORMAT(2, 3);

    /// The process-wide harness, or null when none is installed.
    static kuUnitTest* get_tester();
    /// Installs the process-wide harness (null for none); returns the previous one.
    static kuUnitTest* set_tester(kuUnitTest* tester);

    /// Formats a description. The text stays valid until release_varargs() or
    /// until the process ends, so nested steps may format and record in any
    /// order before the outer check uses its text.
    static const char* build_varargs(const char* format, ...) OMXML_PRINTF_FORMAT(1, 2);
    /// Frees every text that build_varargs made.
    static void release_varargs();

    /// printf-style formatting for harnesses that override printf.
    static std::string format_va(const char* format, va_list args);

    /// The code between the two calls must raise at least n assertion reports
    /// (SY_ASSERT); check_assert() records whether it did as one report.
    void expect_assert_min(int n);
    /// Ends expect_assert_min: reports one check, passed when enough assertion reports came.
    void check_assert();

    /// The number of passed checks reported.
    int passed() const { return m_passed; }
    /// The number of failed checks reported.
    int failed() const { return m_failed; }
    /// Writes the closing line "N passed, N failed".
    void print_summary(std::FILE* out) const;

protected:
    /// Passed checks counted by utest_handler.
    int m_passed = 0;
    /// Failed checks counted by utest_handler.
    int m_failed = 0;

private:
    int m_assert_expected = 0;
    int m_assert_count_at_start = 0;
    bool m_expecting = false;
};
