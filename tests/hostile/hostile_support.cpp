#include "hostile_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "backend/lxDocumentFactory.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"

namespace fs = std::filesystem;

omTempDir::omTempDir() {
    std::string pattern = (fs::path(::testing::TempDir()) / "omxml-hostile-XXXXXX").string();
    if (!::mkdtemp(&pattern[0]))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

omTempDir::~omTempDir() {
    std::error_code ec;
    // Children may have left the directory read-only; open it up before removing it.
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string omTempDir::write(const std::string& name, const std::string& bytes) const {
    std::string file = (fs::path(m_path) / name).string();
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file);
    return file;
}

std::vector<std::string> omTempDir::entries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

syString wide(const std::string& utf8) { return syString::from_utf8(utf8); }
std::string narrow(const syString& text) { return text.to_utf8(); }

omDocumentFactory& backend_factory() {
    static lxDocumentFactory factory;
    return factory;
}

omLoadOutcome load_text(const std::string& text, const omLoadOptions& options) {
    omLoadOutcome outcome;
    outcome.document = backend_factory().loadDocument(syByteArray(text.data(), text.size()), options, outcome.error);
    return outcome;
}

omLoadOutcome load_path(const std::string& path, const omLoadOptions& options) {
    omLoadOutcome outcome;
    outcome.document = backend_factory().loadDocument(syPath(wide(path)), options, outcome.error);
    return outcome;
}

namespace {

// A field of /proc/self/status in kB, or -1.
long status_kb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
    return -1;
}

// Resets the peak resident set to the current one; false where not allowed.
bool reset_peak() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}

} // namespace

omCost measure(const std::function<void()>& step) {
    omCost cost;
    bool peak_known = reset_peak();
    long before = status_kb("VmRSS");
    auto start = std::chrono::steady_clock::now();
    step();
    cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long peak = status_kb("VmHWM");
    if (peak_known && before >= 0 && peak >= 0)
        cost.peak_growth_kb = peak - before;
    return cost;
}

double time_scale() {
#if defined(__SANITIZE_ADDRESS__)
    return 5.0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return 5.0;
#endif
#endif
    return 1.0;
}

int run_in_child(const std::function<int()>& step, int timeout_seconds) {
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(static_cast<unsigned>(timeout_seconds)); // SIGALRM ends a child that outlives the timeout
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

bool drop_privileges() {
    if (::geteuid() != 0)
        return true;
    const uid_t nobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
        return false;
    return ::geteuid() != 0 && ::getuid() != 0;
}
