#pragma once

#include <cstdarg>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/kuUnitTest.h"

// One report as the harness received it.
struct RecordedReport {
    int pass;
    std::string expression;
    std::string source_path;
    int line;
    std::string description;
    std::string function;
};

// A harness that keeps every report and diagnostic line; installed as the
// process-wide tester for its lifetime.
class RecordingTester : public kuUnitTest {
public:
    RecordingTester();
    ~RecordingTester() override;

    void utest_handler(int pass, const char* expression, const char* source_path, int line, const char* description,
                       const char* function) override;
    void printf(const char* format, ...) override;

    const std::vector<RecordedReport>& reports() const { return m_reports; }
    const std::vector<std::string>& lines() const { return m_lines; }

    std::vector<RecordedReport> failures() const;
    // Reports of check_assert() and the others.
    int assert_outcomes() const;
    // "function | description | expression" of each failure, for readable assertions.
    std::vector<std::string> failure_keys() const;

private:
    kuUnitTest* m_previous;
    std::vector<RecordedReport> m_reports;
    std::vector<std::string> m_lines;
};

// A fresh directory laid out as the suites expect: root/data holds the
// schema, root/run is the working directory while the object lives.
class SuiteWorkspace {
public:
    SuiteWorkspace();
    ~SuiteWorkspace();
    SuiteWorkspace(const SuiteWorkspace&) = delete;
    SuiteWorkspace& operator=(const SuiteWorkspace&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path run_dir() const { return m_root / "run"; }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_root;
};

// The first report of function with that description, or null.
const RecordedReport* find_report(const RecordingTester& tester, const std::string& function,
                                  const std::string& description);
