#pragma once

// Shared steps of every test program: temporary folders, the back-end's
// factory and loads through it, string conversions, a numeric locale, a
// harness that records the suites' reports, and children run under limits.

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "backend/lxDocumentFactory.h" // only programs linked with the back-end call backend()
#include "backend/lxStreamValidator.h"
#include "dom/omCharacterData.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNamedNodeMap.h"
#include "dom/omNodeList.h"
#include "factory/omDocumentFactory.h"
#include "platform/kuString.h"
#include "platform/kuUnitTest.h"
#include "platform/syAssert.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"
#include "portable.h"

// ---- strings ---------------------------------------------------------------

inline std::string str(const kuString& s) { return std::string(s.c_str(), static_cast<std::size_t>(s.length())); }
inline kuString ku(const std::string& s) { return kuString(kuStringArray(), s.data(), static_cast<int>(s.size())); }
inline syString wide(const std::string& utf8) { return syString::from_utf8(utf8); }
inline std::string narrow(const syString& text) { return text.to_utf8(); }

// ---- temporary folders -----------------------------------------------------

// A fresh directory under the test temporary directory, removed with all it
// holds (even when a child left it read-only) when the object goes.
class TempDir {
public:
    TempDir() { m_path = syFileSystem::make_temp_dir(::testing::TempDir(), "omxml-test-"); }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(fs_path(m_path), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(fs_path(m_path), ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Writes bytes to name inside the directory; returns the file's path.
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(fs_path(file(name)), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file(name);
    }
    // Names of the entries, sorted.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(fs_path(m_path)))
            names.push_back(entry.path().filename().u8string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
};

inline std::string read_bytes(const std::string& path) {
    std::ifstream in(fs_path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- the back-end ----------------------------------------------------------

// Hands everything to real, and checks each document it loads once more
// with the streaming validator, which must agree with the load: the same
// verdict, message and position. Every document of the tests that goes
// through backend() or such a factory is thus also a case of that comparison.
class CheckedFactory : public omDocumentFactory {
public:
    explicit CheckedFactory(std::shared_ptr<omDocumentFactory> real) : m_real(std::move(real)) {}
    std::shared_ptr<omDocument> createDocument(const syString& rootName) const override {
        return m_real->createDocument(rootName);
    }
    std::shared_ptr<omDocument> loadDocument(const syPath& path, const omLoadOptions& options,
                                             omParseError& error) const override {
        return compared(m_real->loadDocument(path, options, error), error, path, options);
    }
    std::shared_ptr<omDocument> loadDocument(const syByteArray& data, const omLoadOptions& options,
                                             omParseError& error) const override {
        return compared(m_real->loadDocument(data, options, error), error, data, options);
    }
    bool saveDocument(std::shared_ptr<omDocument> document, syByteArray& output) override {
        return m_real->saveDocument(document, output);
    }
    bool saveDocument(std::shared_ptr<omDocument> document, const syPath& path) override {
        return m_real->saveDocument(document, path);
    }

private:
    template <class Source>
    std::shared_ptr<omDocument> compared(std::shared_ptr<omDocument> document, const omParseError& error,
                                         const Source& source, const omLoadOptions& options) const {
        omParseError checked;
        const bool passed = m_validator.check(source, options, checked);
        EXPECT_EQ(verdict(passed, checked), verdict(document != nullptr, error));
        return document;
    }
    static std::string verdict(bool passed, const omParseError& e) {
        return (passed ? "passed " : "failed ") + narrow(e.url()) + ":" + std::to_string(e.line_number()) + ":" +
               std::to_string(e.column_number()) + ": " + narrow(e.message());
    }
    std::shared_ptr<omDocumentFactory> m_real;
    lxStreamValidator m_validator;
};

inline omDocumentFactory& backend() {
    static const std::shared_ptr<omDocumentFactory> factory =
        std::make_shared<CheckedFactory>(lx_register_xml_service());
    return *factory;
}

// The outcome of one load: the document (empty on failure) and its error record.
struct Loaded {
    std::shared_ptr<omDocument> document;
    omParseError error;
    std::string message() const { return narrow(error.message()); }
    std::shared_ptr<omElement> root() const { return document ? document->getDocumentElement() : nullptr; }
};

inline Loaded load(const std::string& text, const omLoadOptions& options = omLoadOptions()) {
    Loaded outcome;
    outcome.document = backend().loadDocument(syByteArray(text.data(), text.size()), options, outcome.error);
    return outcome;
}

inline Loaded load_file(const std::string& path, const omLoadOptions& options = omLoadOptions()) {
    Loaded outcome;
    outcome.document = backend().loadDocument(syPath(wide(path)), options, outcome.error);
    return outcome;
}

inline std::string saved(const std::shared_ptr<omDocument>& document) {
    syByteArray bytes;
    return backend().saveDocument(document, bytes) ? std::string(bytes.data(), bytes.size()) : "save failed";
}

// Counts the assertion reports raised while it exists.
class AssertCounter {
public:
    AssertCounter() : m_previous(sy_set_assert_hook(&count)) { s_count = 0; }
    ~AssertCounter() { sy_set_assert_hook(m_previous); }
    AssertCounter(const AssertCounter&) = delete;
    AssertCounter& operator=(const AssertCounter&) = delete;
    int count() const { return s_count; }

private:
    static void count(const char*, const char*, int, const char*) { ++s_count; }
    static inline int s_count = 0;
    syAssertHook m_previous;
};

// ---- locale ----------------------------------------------------------------

// Switches LC_NUMERIC while it exists; active() tells whether the locale exists.
class NumericLocale {
public:
    explicit NumericLocale(const char* name) : m_saved(std::setlocale(LC_NUMERIC, nullptr)) {
        for (const std::string& system_name : system_locale_names(name))
            m_active = m_active || std::setlocale(LC_NUMERIC, system_name.c_str()) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, m_saved.c_str()); }
    NumericLocale(const NumericLocale&) = delete;
    NumericLocale& operator=(const NumericLocale&) = delete;
    bool active() const { return m_active; }

private:
    std::string m_saved;
    bool m_active = false;
};

// ---- harness capture -------------------------------------------------------

struct RecordedReport {
    int pass;
    std::string expression, source_path;
    int line;
    std::string description, function;
    // "function | description | expression", for readable assertions.
    std::string key() const { return function + " | " + description + " | " + expression; }
};

// A harness that keeps every report and diagnostic line; the process-wide
// tester while it lives.
class RecordingTester : public kuUnitTest {
public:
    RecordingTester() : m_previous(kuUnitTest::set_tester(this)) {}
    ~RecordingTester() override {
        kuUnitTest::set_tester(m_previous);
        kuUnitTest::release_varargs();
    }
    void utest_handler(int pass, const char* expression, const char* source_path, int line, const char* description,
                       const char* function) override {
        ++(pass ? m_passed : m_failed);
        reports.push_back({pass, expression ? expression : "", source_path ? source_path : "", line,
                           description ? description : "", function ? function : ""});
    }
    void printf(const char* format, ...) override {
        va_list args;
        va_start(args, format);
        lines.push_back(format_va(format, args));
        va_end(args);
    }
    std::vector<std::string> failure_keys() const {
        std::vector<std::string> keys;
        for (const RecordedReport& r : reports)
            if (!r.pass)
                keys.push_back(r.key());
        return keys;
    }

    std::vector<RecordedReport> reports;
    std::vector<std::string> lines;

private:
    kuUnitTest* m_previous;
};

// ---- children --------------------------------------------------------------
#ifndef _WIN32

// Runs step in a forked child and returns its exit status (0 to 255), or -1
// when it was killed or outlived timeout_seconds.
inline int run_in_child(const std::function<int()>& step, int timeout_seconds = 20) {
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(static_cast<unsigned>(timeout_seconds));
        int status = 251;
        try {
            status = step();
        } catch (...) {
            status = 250;
        }
        ::_exit(status);
    }
    int status = 0;
    while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child: gives up root's privileges (to "nobody"), so that permission
// bits apply. True when the process runs unprivileged afterwards.
inline bool drop_privileges() {
    if (::geteuid() != 0)
        return true;
    const uid_t nobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
        return false;
    return ::geteuid() != 0 && ::getuid() != 0;
}
constexpr int kCannotDropPrivileges = 200;
#endif
