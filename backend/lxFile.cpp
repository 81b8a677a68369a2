#include "backend/lxFile.h"

#include <atomic>
#include <cerrno>
#include <system_error>

#include "platform/syFileSystem.h"

namespace {

std::string reason(int error) { return std::generic_category().message(error); }

// The folder part of path with its last separator ("/a/", "C:\a\", "C:"),
// empty for a name in the current folder.
std::string folder_prefix(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (syFileSystem::is_separator(path[i - 1]))
            return path.substr(0, i);
#ifdef _WIN32
    if (path.size() >= 2 && path[1] == ':')
        return path.substr(0, 2);
#endif
    return std::string();
}

} // namespace

bool lxFile::stamp(const std::string& path, Stamp& stamp) { return syFileSystem::stamp(path, stamp); }

int lxFile::open_for_reading(const std::string& path, std::string& error, bool regular_only) {
    syFileSystem::Kind kind = syFileSystem::kind(path);
    // A device is not even opened: opening some has effects of its own.
    if (regular_only && kind == syFileSystem::other) {
        error = "not a regular file";
        return -1;
    }
    if (kind == syFileSystem::directory) {
        error = reason(EISDIR);
        return -1;
    }
    int fd = syFileSystem::open_read(path, regular_only);
    if (fd < 0) {
        error = reason(errno);
        return -1;
    }
    kind = syFileSystem::kind(fd);
    if (kind == syFileSystem::directory || (regular_only && kind != syFileSystem::regular)) {
        syFileSystem::close(fd);
        error = kind == syFileSystem::directory ? reason(EISDIR) : "not a regular file";
        return -1;
    }
    if (regular_only)
        syFileSystem::set_blocking(fd);
    return fd;
}

bool lxFile::read(const std::string& path, std::string& bytes, std::string& error, bool regular_only, Stamp* stamp) {
    int fd = open_for_reading(path, error, regular_only);
    if (fd < 0)
        return false;
    long long size = syFileSystem::size(fd);
    if (size > 0)
        bytes.reserve(static_cast<std::size_t>(size));
    if (stamp && !syFileSystem::stamp(fd, *stamp))
        *stamp = Stamp();
    char chunk[65536];
    for (;;) {
        long long n = syFileSystem::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            error = reason(errno);
            syFileSystem::close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    syFileSystem::close(fd);
    return true;
}

int lxFile::read_some(int fd, char* buffer, int len) {
    return static_cast<int>(syFileSystem::read(fd, buffer, static_cast<std::size_t>(len)));
}

void lxFile::close(int fd) { syFileSystem::close(fd); }

std::string lxFile::absolute(const std::string& path) { return syFileSystem::absolute(path); }

bool lxFile::replace(const std::string& path, const std::function<bool(int fd)>& write) {
    if (path.empty())
        return false;
    static std::atomic<unsigned> counter{0};
    std::string target = syFileSystem::link_target(path);
    std::string folder = folder_prefix(target);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary =
            folder + ".omxml-" + std::to_string(syFileSystem::process_id()) + "-" + std::to_string(counter++) + ".tmp";
        fd = syFileSystem::create_new(temporary);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    syFileSystem::copy_permissions(target, fd);
    bool ok = write(fd) && syFileSystem::sync(fd);
    ok = syFileSystem::close(fd) == 0 && ok;
    if (ok && syFileSystem::replace(temporary, target)) {
        syFileSystem::sync_directory(folder.empty() ? std::string(".") : folder);
        return true;
    }
    syFileSystem::remove(temporary);
    return false;
}

bool lxFile::write_all(int fd, const char* data, std::size_t n) { return syFileSystem::write_all(fd, data, n); }
