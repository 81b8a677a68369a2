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

namespace fs = std::filesystem;

namespace {

bool within(const fs::path& path, const fs::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p)
        if (p == path.end() || *p != *r)
            return false;
    return true;
}

void collect(const fs::path& dir, const fs::path& root, std::vector<omxmlInput>& found) {
    std::error_code ec;
    fs::directory_iterator entries(dir, ec);
    for (; !ec && entries != fs::directory_iterator(); entries.increment(ec)) {
        const fs::path& path = entries->path();
        const fs::file_status status = entries->symlink_status(ec);
        if (ec)
            break;
        if (fs::is_directory(status)) {
            collect(path, root, found);
            continue;
        }
        if (path.extension() != ".xml")
            continue;
        if (fs::is_symlink(status)) {
            std::error_code link_ec;
            const fs::path target = fs::canonical(path, link_ec);
            if (link_ec) {
                found.push_back({path.u8string(), link_ec.message()});
                continue;
            }
            if (!within(target, root) || fs::is_directory(target, link_ec))
                continue;
        }
        found.push_back({path.u8string(), ""});
    }
    if (ec)
        found.push_back({dir.u8string(), ec.message()});
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

void draw(const omxmlProgress& progress, std::size_t done, std::size_t total, double elapsed) {
    std::string line = std::string(progress.label) + std::to_string(done) + "/" + std::to_string(total) + " files";
    if (done > 0 && elapsed > 0) {
        const double rate = static_cast<double>(done) / elapsed;
        char text[64];
        std::snprintf(text, sizeof text, ", %.0f files/s, ", rate);
        line += text + duration(static_cast<double>(total - done) / rate) + " left";
    }
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
}

void clear_line() {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

} // namespace

std::vector<omxmlInput> omxml_expand_paths(const std::vector<std::string>& paths) {
    std::vector<omxmlInput> files;
    for (const std::string& arg : paths) {
        std::error_code ec;
        if (!fs::is_directory(fs::status(fs::u8path(arg), ec))) {
            files.push_back({arg, ""});
            continue;
        }
        const std::size_t first = files.size();
        collect(fs::u8path(arg), fs::canonical(fs::u8path(arg), ec), files);
        std::sort(files.begin() + static_cast<std::ptrdiff_t>(first), files.end(),
                  [](const omxmlInput& a, const omxmlInput& b) { return a.path < b.path; });
    }
    return files;
}

unsigned omxml_default_threads() { return std::max(1u, std::thread::hardware_concurrency()); }

void omxml_run_parallel(std::size_t count, unsigned threads, const std::function<omxmlOutcome(std::size_t)>& job,
                        const std::function<void(std::size_t, const omxmlOutcome&)>& report,
                        const omxmlProgress& progress) {
    const bool shown = progress.shown && syFileSystem::is_terminal(stderr);
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [start] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    bool drawn = false;
    if (threads <= 1 || count <= 1) {
        // On the calling thread: a process that never starts a thread keeps
        // malloc on its lock-free single-thread path, which libxml2's many
        // small allocations feel.
        for (std::size_t i = 0; i < count; ++i) {
            if (shown && elapsed() >= progress.delay) {
                draw(progress, i, count, elapsed());
                drawn = true;
            }
            const omxmlOutcome outcome = job(i);
            if (drawn)
                clear_line();
            report(i, outcome);
            std::fflush(stdout);
        }
        return;
    }

    std::vector<omxmlOutcome> outcomes(count);
    std::vector<char> done(count, 0);
    std::size_t finished = 0;
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
                    ++finished;
                }
                changed.notify_one();
            }
        });

    std::size_t reported = 0;
    std::unique_lock<std::mutex> lock(mutex);
    while (reported < count) {
        if (shown && elapsed() >= progress.delay) {
            const std::size_t finished_now = finished;
            lock.unlock();
            draw(progress, finished_now, count, elapsed());
            drawn = true;
            lock.lock();
        }
        changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return done[reported] != 0; });
        std::vector<std::pair<std::size_t, omxmlOutcome>> ready;
        for (; reported < count && done[reported]; ++reported)
            ready.emplace_back(reported, std::move(outcomes[reported]));
        if (ready.empty())
            continue;
        lock.unlock();
        if (drawn)
            clear_line();
        for (const auto& r : ready)
            report(r.first, r.second);
        std::fflush(stdout);
        lock.lock();
    }
    lock.unlock();
    for (std::thread& worker : pool)
        worker.join();
    if (drawn)
        clear_line();
}
