#include "tests/suites/suite_harness.h"

#include <cstdlib>
#include <stdexcept>

#ifndef OMXML_SOURCE_DIR
#error "OMXML_SOURCE_DIR must name the source tree (for data/in_memory_test_schema.xsd)"
#endif

namespace fs = std::filesystem;

RecordingTester::RecordingTester() : m_previous(kuUnitTest::set_tester(this)) {}

RecordingTester::~RecordingTester() {
    kuUnitTest::set_tester(m_previous);
    kuUnitTest::release_varargs();
}

void RecordingTester::utest_handler(int pass, const char* expression, const char* source_path, int line,
                                    const char* description, const char* function) {
    if (pass)
        ++m_passed;
    else
        ++m_failed;
    m_reports.push_back({pass, expression ? expression : "", source_path ? source_path : "", line,
                         description ? description : "", function ? function : ""});
}

void RecordingTester::printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_lines.push_back(format_va(format, args));
    va_end(args);
}

std::vector<RecordedReport> RecordingTester::failures() const {
    std::vector<RecordedReport> out;
    for (const RecordedReport& r : m_reports)
        if (!r.pass)
            out.push_back(r);
    return out;
}

int RecordingTester::assert_outcomes() const {
    int n = 0;
    for (const RecordedReport& r : m_reports)
        n += r.function == "kuUnitTest::check_assert";
    return n;
}

std::vector<std::string> RecordingTester::failure_keys() const {
    std::vector<std::string> out;
    for (const RecordedReport& r : failures())
        out.push_back(r.function + " | " + r.description + " | " + r.expression);
    return out;
}

SuiteWorkspace::SuiteWorkspace() : m_previous(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "omxml-suites-XXXXXX").string();
    if (!::mkdtemp(&pattern[0]))
        throw std::runtime_error("cannot create a temporary directory");
    m_root = pattern;
    fs::create_directories(m_root / "data");
    fs::create_directories(m_root / "run");
    fs::copy_file(fs::path(OMXML_SOURCE_DIR) / "data" / "in_memory_test_schema.xsd",
                  m_root / "data" / "in_memory_test_schema.xsd");
    fs::current_path(m_root / "run");
}

SuiteWorkspace::~SuiteWorkspace() {
    std::error_code ec;
    fs::current_path(m_previous, ec);
    fs::remove_all(m_root, ec);
}

const RecordedReport* find_report(const RecordingTester& tester, const std::string& function,
                                  const std::string& description) {
    for (const RecordedReport& r : tester.reports())
        if (r.function == function && r.description == description)
            return &r;
    return nullptr;
}
