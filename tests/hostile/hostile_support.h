#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "factory/omDocumentFactory.h"
#include "platform/syString.h"

// Shared steps of the hostile-input tests: a private temporary directory,
// files written into it, loads from memory, peak-memory and time bounds, and
// children that run one step under limits the test process must not take on.

// A fresh directory under the test temporary directory, removed with all its
// content when the object goes.
class omTempDir {
public:
    omTempDir();
    ~omTempDir();
    omTempDir(const omTempDir&) = delete;
    omTempDir& operator=(const omTempDir&) = delete;

    const std::string& path() const { return m_path; }
    // Writes bytes to name inside the directory; returns the file's path.
    std::string write(const std::string& name, const std::string& bytes) const;
    // Names of the entries of the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::string m_path;
};

std::string read_bytes(const std::string& path);
inline bool mentions(const std::string& message, const std::string& part) {
    return message.find(part) != std::string::npos;
}
syString wide(const std::string& utf8);
std::string narrow(const syString& text);

// The back-end's factory, made once per test program.
omDocumentFactory& backend_factory();

// The outcome of one load: the document (empty on failure) and its error record.
struct omLoadOutcome {
    std::shared_ptr<omDocument> document;
    omParseError error;
    std::string message() const { return narrow(error.message()); }
};
omLoadOutcome load_text(const std::string& text, const omLoadOptions& options = omLoadOptions());
omLoadOutcome load_path(const std::string& path, const omLoadOptions& options = omLoadOptions());

// Wall time and growth of the peak resident set of one step. The peak is
// reset before the step where the kernel allows it (Linux clear_refs);
// otherwise peak_growth_kb stays -1.
struct omCost {
    double seconds = 0;
    long peak_growth_kb = -1;
};
omCost measure(const std::function<void()>& step);

// Time bounds are stated for a plain build; sanitizer builds run the same
// code several times slower.
double time_scale();

// Runs step in a forked child and returns its exit status (0 to 255), or -1
// when it was killed or outlived timeout_seconds. The child never returns
// into the test: it leaves with _exit.
int run_in_child(const std::function<int()>& step, int timeout_seconds = 20);

// In a child: drops root's privileges to the unprivileged "nobody" account,
// so that permission bits apply. True when the process runs unprivileged
// afterwards (also when it did so already).
bool drop_privileges();
// Exit status of a child that could not drop root's privileges.
constexpr int kCannotDropPrivileges = 200;
