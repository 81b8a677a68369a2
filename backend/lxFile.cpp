#include "backend/lxFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string reason(int error) { return std::generic_category().message(error); }

std::string directory_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a save must replace: the target of a symbolic link rather than the link.
std::string resolved_target(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

lxFile::Stamp stamp_of(const struct stat& st) {
    lxFile::Stamp stamp;
    stamp.device = static_cast<unsigned long long>(st.st_dev);
    stamp.inode = static_cast<unsigned long long>(st.st_ino);
    stamp.size = static_cast<unsigned long long>(st.st_size);
    stamp.modified_s = static_cast<long long>(st.st_mtim.tv_sec);
    stamp.modified_ns = static_cast<long long>(st.st_mtim.tv_nsec);
    stamp.changed_s = static_cast<long long>(st.st_ctim.tv_sec);
    stamp.changed_ns = static_cast<long long>(st.st_ctim.tv_nsec);
    return stamp;
}

} // namespace

bool lxFile::Stamp::operator==(const Stamp& other) const {
    return device == other.device && inode == other.inode && size == other.size && modified_s == other.modified_s &&
           modified_ns == other.modified_ns && changed_s == other.changed_s && changed_ns == other.changed_ns;
}

bool lxFile::stamp(const std::string& path, Stamp& stamp) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    stamp = stamp_of(st);
    return true;
}

int lxFile::open_for_reading(const std::string& path, std::string& error, bool regular_only) {
    struct stat st;
    // A device is not even opened: opening some has effects of its own.
    if (regular_only && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        error = "not a regular file";
        return -1;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (regular_only ? O_NONBLOCK : 0));
    if (fd < 0) {
        error = reason(errno);
        return -1;
    }
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = reason(EISDIR);
        return -1;
    }
    if (regular_only) {
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            error = "not a regular file";
            return -1;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return fd;
}

bool lxFile::read(const std::string& path, std::string& bytes, std::string& error, bool regular_only, Stamp* stamp) {
    int fd = open_for_reading(path, error, regular_only);
    if (fd < 0)
        return false;
    struct stat st;
    const bool known = ::fstat(fd, &st) == 0;
    if (known && S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    if (stamp)
        *stamp = known ? stamp_of(st) : Stamp();
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = reason(errno);
            ::close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

bool lxFile::replace(const std::string& path, const std::function<bool(int fd)>& write) {
    if (path.empty())
        return false;
    static std::atomic<unsigned> counter{0};
    std::string target = resolved_target(path);
    std::string directory = directory_of(target);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = directory + "/.omxml-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);
    bool ok = write(fd) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) {
        int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

bool lxFile::write_all(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        ssize_t written = ::write(fd, data, n);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        n -= static_cast<std::size_t>(written);
    }
    return true;
}
