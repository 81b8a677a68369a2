#include "tools/omxmlFileSet.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/syFileSystem.h"

#include <CLI/CLI.hpp>

namespace fs = std::filesystem;

namespace {

bool within(const fs::path& path, const fs::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p)
        if (p == path.end() || *p != *r)
            return false;
    return true;
}

// One entry of a directory: what to do with it, or nothing.
void add_entry(const fs::directory_entry& entry, const fs::path& root, const omxmlFilter& filter,
               std::vector<omxmlInput>& found) {
    const fs::path& path = entry.path();
    const std::string name = path.filename().u8string();
    std::error_code ec;
    if (!entry.is_symlink(ec)) {
        if (filter.takes(name))
            found.push_back({path.u8string(), "", "", entry.is_regular_file(ec) ? entry.file_size(ec) : 0});
        return;
    }
    const fs::path target = fs::canonical(path, ec);
    if (ec) {
        if (filter.takes(name))
            found.push_back({path.u8string(), ec.message(), "", 0});
        return;
    }
    if (fs::is_directory(target, ec)) {
        if (name[0] != '.')
            found.push_back({path.u8string(), "", "a symbolic link to a directory, not entered", 0});
        return;
    }
    if (!filter.takes(name))
        return;
    if (!within(target, root))
        found.push_back(
            {path.u8string(), "", "a symbolic link to " + target.u8string() + ", outside " + root.u8string(), 0});
    else
        found.push_back({path.u8string(), "", "", fs::is_regular_file(target, ec) ? fs::file_size(target, ec) : 0});
}

void collect(const fs::path& dir, const fs::path& root, const omxmlFilter& filter, std::vector<omxmlInput>& found) {
    std::error_code ec;
    fs::directory_iterator entries(dir, ec);
    for (; !ec && entries != fs::directory_iterator(); entries.increment(ec)) {
        std::error_code type_ec;
        if (entries->is_directory(type_ec) && !entries->is_symlink(type_ec)) {
            if (entries->path().filename().u8string()[0] != '.')
                collect(entries->path(), root, filter, found);
            continue;
        }
        add_entry(*entries, root, filter, found);
    }
    if (ec)
        found.push_back({dir.u8string(), ec.message(), "", 0});
}

// Sizes as people read them: 999 B, 1.0 kB, 12.3 MB.
std::string bytes_text(double bytes) {
    const char* units[] = {"B", "kB", "MB", "GB", "TB"};
    int unit = 0;
    while (bytes >= 999.95 && unit < 4) {
        bytes /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit ? "%.1f %s" : "%.0f %s", bytes, units[unit]);
    return text;
}

std::string duration(double seconds) {
    char text[32];
    if (seconds < 60)
        std::snprintf(text, sizeof text, "%.0f s", seconds);
    else
        std::snprintf(text, sizeof text, "%d min %02d s", static_cast<int>(seconds) / 60,
                      static_cast<int>(seconds) % 60);
    return text;
}

// The share of the work done goes by bytes: one big file is most of a run.
class ProgressLine {
public:
    ProgressLine(const omxmlProgress& progress, std::size_t count)
        : m_progress(progress), m_count(count), m_shown(progress.shown && syFileSystem::is_terminal(stderr)) {
        for (std::size_t i = 0; i < count; ++i)
            m_total += weight(i);
    }

    bool due(double elapsed) const { return m_shown && elapsed >= m_progress.delay; }

    void finished(std::size_t i) {
        m_done_bytes += weight(i);
        ++m_done_files;
    }

    void draw(double elapsed) {
        const double share = m_total ? static_cast<double>(m_done_bytes) / static_cast<double>(m_total) : 0;
        char percent[16];
        std::snprintf(percent, sizeof percent, "%.0f%%", share * 100);
        std::string line = std::string(m_progress.label) + percent + " (" +
                           bytes_text(static_cast<double>(m_done_bytes)) + " of " +
                           bytes_text(static_cast<double>(m_total)) + "), " + std::to_string(m_done_files) + "/" +
                           std::to_string(m_count) + " files";
        if (m_done_bytes > 0 && elapsed > 0) {
            const double rate = static_cast<double>(m_done_bytes) / elapsed;
            line += ", " + bytes_text(rate) + "/s, " + duration(static_cast<double>(m_total - m_done_bytes) / rate) +
                    " left";
        }
        std::fprintf(stderr, "\r%s\033[K", line.c_str());
        std::fflush(stderr);
        m_drawn = true;
    }

    void clear() {
        if (!m_drawn)
            return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_drawn = false;
    }

private:
    // A file of unknown size still counts as a little work.
    std::uintmax_t weight(std::size_t i) const {
        return i < m_progress.bytes.size() && m_progress.bytes[i] ? m_progress.bytes[i] : 1;
    }

    const omxmlProgress& m_progress;
    std::size_t m_count;
    bool m_shown;
    bool m_drawn = false;
    std::uintmax_t m_total = 0;
    std::uintmax_t m_done_bytes = 0;
    std::size_t m_done_files = 0;
};

} // namespace

bool omxml_glob_match(const std::string& pattern, const std::string& name) {
    std::size_t p = 0, n = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
            continue;
        }
        if (p < pattern.size() && pattern[p] == '[') {
            std::size_t q = p + 1;
            const bool negate = q < pattern.size() && (pattern[q] == '!' || pattern[q] == '^');
            q += negate;
            bool in = false;
            for (bool first = true; q < pattern.size() && (first || pattern[q] != ']'); first = false, ++q) {
                if (q + 2 < pattern.size() && pattern[q + 1] == '-' && pattern[q + 2] != ']') {
                    in = in || (pattern[q] <= name[n] && name[n] <= pattern[q + 2]);
                    q += 2;
                } else {
                    in = in || pattern[q] == name[n];
                }
            }
            if (q < pattern.size() && in != negate) {
                p = q + 1;
                ++n;
                continue;
            }
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
            continue;
        }
        if (star == std::string::npos)
            return false;
        p = star + 1;
        n = ++resume;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool omxmlFilter::takes(const std::string& name) const {
    auto matches = [&name](const std::string& pattern) { return omxml_glob_match(pattern, name); };
    const bool included = include.empty() ? matches("*.xml") : std::any_of(include.begin(), include.end(), matches);
    return included && std::none_of(exclude.begin(), exclude.end(), matches);
}

omxmlFileSet omxml_expand_paths(const std::vector<std::string>& paths, const omxmlFilter& filter) {
    omxmlFileSet set;
    for (const std::string& arg : paths) {
        std::error_code ec;
        const fs::path named = fs::u8path(arg);
        if (omxml_is_stdin(arg) || !fs::is_directory(fs::status(named, ec))) {
            const std::uintmax_t size = fs::is_regular_file(named, ec) ? fs::file_size(named, ec) : 0;
            set.files.push_back({arg, "", "", ec ? 0 : size});
            continue;
        }
        set.directory_named = true;
        const std::size_t first = set.files.size();
        collect(named, fs::canonical(named, ec), filter, set.files);
        std::sort(set.files.begin() + static_cast<std::ptrdiff_t>(first), set.files.end(),
                  [](const omxmlInput& a, const omxmlInput& b) { return a.path < b.path; });
    }
    return set;
}

void omxml_add_filter_options(CLI::App& app, omxmlFilter& filter) {
    app.add_option("--include", filter.include,
                   "in a directory, take the files whose name matches GLOB (default *.xml)")
        ->type_name("GLOB")
        ->allow_extra_args(false);
    app.add_option("--exclude", filter.exclude, "in a directory, leave out the files whose name matches GLOB")
        ->type_name("GLOB")
        ->allow_extra_args(false);
}

bool omxml_something_to_do(const char* command, const std::vector<omxmlInput>& files,
                           const std::vector<std::string>& paths, const omxmlFilter& filter) {
    if (std::any_of(files.begin(), files.end(), [](const omxmlInput& file) { return file.skipped.empty(); }))
        return true;
    for (const omxmlInput& file : files)
        std::fprintf(stderr, "%s: skipped: %s\n", file.path.c_str(), file.skipped.c_str());
    auto list = [](const std::vector<std::string>& items, const char* between) {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : between) + item;
        return text;
    };
    std::string why = "no file under " + list(paths, ", ") + " matches " +
                      (filter.include.empty() ? std::string("*.xml") : list(filter.include, " or "));
    if (!filter.exclude.empty())
        why += " but not " + list(filter.exclude, " or ");
    std::fprintf(stderr, "omxml %s: nothing to check: %s; --include GLOB takes other names\n", command, why.c_str());
    return false;
}

unsigned omxml_default_threads() { return std::max(1u, std::thread::hardware_concurrency()); }

void omxml_run_parallel(std::size_t count, unsigned threads, const std::function<omxmlOutcome(std::size_t)>& job,
                        const std::function<void(std::size_t, const omxmlOutcome&)>& report,
                        const omxmlProgress& progress) {
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [start] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    ProgressLine line(progress, count);
    if (threads <= 1 || count <= 1) {
        // On the calling thread: a process that never starts a thread keeps
        // malloc on its lock-free single-thread path, which libxml2's many
        // small allocations feel.
        for (std::size_t i = 0; i < count; ++i) {
            if (line.due(elapsed()))
                line.draw(elapsed());
            const omxmlOutcome outcome = job(i);
            line.finished(i);
            line.clear();
            report(i, outcome);
            std::fflush(stdout);
        }
        return;
    }

    std::vector<omxmlOutcome> outcomes(count);
    std::vector<char> done(count, 0);
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<std::size_t> next{0};

    std::vector<std::thread> pool;
    const std::size_t workers = std::min<std::size_t>(threads, count);
    for (std::size_t t = 0; t < workers; ++t)
        pool.emplace_back([&] {
            for (std::size_t i; (i = next++) < count;) {
                omxmlOutcome outcome = job(i);
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    outcomes[i] = std::move(outcome);
                    done[i] = 1;
                    line.finished(i);
                }
                changed.notify_one();
            }
        });

    std::size_t reported = 0;
    std::unique_lock<std::mutex> lock(mutex);
    while (reported < count) {
        if (line.due(elapsed()))
            line.draw(elapsed());
        changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return done[reported] != 0; });
        std::vector<std::pair<std::size_t, omxmlOutcome>> ready;
        for (; reported < count && done[reported]; ++reported)
            ready.emplace_back(reported, std::move(outcomes[reported]));
        if (ready.empty())
            continue;
        line.clear();
        lock.unlock();
        for (const auto& r : ready)
            report(r.first, r.second);
        std::fflush(stdout);
        lock.lock();
    }
    lock.unlock();
    for (std::thread& worker : pool)
        worker.join();
    line.clear();
}
