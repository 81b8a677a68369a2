#include "platform/syFileSystem.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/syString.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

#ifdef _WIN32

// The UTF-16 name that Windows' wide calls take.
std::wstring wide(const std::string& name) { return syString::from_utf8(name).wstr(); }

syFileSystem::Kind kind_of(unsigned short mode) {
    if ((mode & _S_IFMT) == _S_IFREG)
        return syFileSystem::regular;
    return (mode & _S_IFMT) == _S_IFDIR ? syFileSystem::directory : syFileSystem::other;
}

// The C run-time reads and writes at most INT_MAX bytes a call.
unsigned int chunk(std::size_t n) { return static_cast<unsigned int>(n < INT_MAX ? n : INT_MAX); }

#else

syFileSystem::Kind kind_of(mode_t mode) {
    if (S_ISREG(mode))
        return syFileSystem::regular;
    return S_ISDIR(mode) ? syFileSystem::directory : syFileSystem::other;
}

#endif

} // namespace

bool syFileSystem::is_separator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

bool syFileSystem::is_device_name(const std::string& name) {
    if (name.compare(0, 4, "\\\\.\\") == 0 || name.compare(0, 4, "//./") == 0)
        return true;
    std::size_t start = name.find_last_of("/\\");
    std::string base = name.substr(start == std::string::npos ? 0 : start + 1);
    if (base.size() >= 2 && base[1] == ':' && start == std::string::npos)
        base.erase(0, 2); // "C:NUL"
    base = upper(base.substr(0, base.find('.')));
    while (!base.empty() && (base.back() == ' ' || base.back() == '.'))
        base.pop_back();
    static const char* const reserved[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* r : reserved)
        if (base == r)
            return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

#ifdef _WIN32

syFileSystem::Kind syFileSystem::kind(const std::string& name) {
    if (is_device_name(name))
        return other;
    struct _stat64 st;
    if (::_wstat64(wide(name).c_str(), &st) != 0)
        return missing;
    return kind_of(st.st_mode);
}

syFileSystem::Kind syFileSystem::kind(int fd) {
    auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE)
        return missing;
    // A console, a pipe or a device is no disk file, whatever stat says of it.
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return other;
    struct _stat64 st;
    return ::_fstat64(fd, &st) == 0 ? kind_of(st.st_mode) : missing;
}

// Shared for deleting too, as on POSIX systems: a file being read may be
// deleted or replaced by a save meanwhile.
int syFileSystem::open_read(const std::string& name, bool) {
    HANDLE handle =
        ::CreateFileW(wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
        return -1;
    }
    int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        ::CloseHandle(handle);
    return fd;
}

void syFileSystem::set_blocking(int) {}

int syFileSystem::create_new(const std::string& name) {
    return ::_wopen(wide(name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}

long long syFileSystem::size(int fd) {
    struct _stat64 st;
    if (kind(fd) != regular || ::_fstat64(fd, &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

namespace {

// Identity from the volume and the file index, times in 100 ns steps.
bool stamp_of(HANDLE handle, syFileSystem::Stamp& stamp) {
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    if (!::GetFileInformationByHandle(handle, &info) ||
        !::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return false;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.file = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = basic.LastWriteTime.QuadPart;
    stamp.changed = basic.ChangeTime.QuadPart;
    return true;
}

} // namespace

bool syFileSystem::stamp(const std::string& name, Stamp& stamp) {
    if (is_device_name(name))
        return false;
    HANDLE handle =
        ::CreateFileW(wide(name).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool taken = stamp_of(handle, stamp);
    ::CloseHandle(handle);
    return taken;
}

bool syFileSystem::stamp(int fd, Stamp& stamp) {
    auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && stamp_of(handle, stamp);
}

long long syFileSystem::read(int fd, void* buffer, std::size_t n) { return ::_read(fd, buffer, chunk(n)); }

long long syFileSystem::read_at(int fd, void* buffer, std::size_t n, long long offset) {
    if (::_lseeki64(fd, offset, SEEK_SET) < 0)
        return -1;
    return ::_read(fd, buffer, chunk(n));
}

bool syFileSystem::write_all(int fd, const void* data, std::size_t n) {
    const char* next = static_cast<const char*>(data);
    while (n > 0) {
        int written = ::_write(fd, next, chunk(n));
        if (written <= 0)
            return false;
        next += written;
        n -= static_cast<std::size_t>(written);
    }
    return true;
}

void syFileSystem::copy_permissions(const std::string&, int) {}

bool syFileSystem::sync(int fd) { return ::_commit(fd) == 0; }

int syFileSystem::close(int fd) { return ::_close(fd); }

bool syFileSystem::replace(const std::string& from, const std::string& to) {
    // A read-only file is not replaced, as Windows' own file systems refuse.
    DWORD attributes = ::GetFileAttributesW(wide(to).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void syFileSystem::sync_directory(const std::string&) {}

bool syFileSystem::remove(const std::string& name) { return ::_wunlink(wide(name).c_str()) == 0; }

std::string syFileSystem::link_target(const std::string& name) { return name; }

std::string syFileSystem::absolute(const std::string& name) {
    std::wstring in = wide(name.empty() ? std::string(".") : name);
    DWORD n = ::GetFullPathNameW(in.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return name;
    std::wstring out(n, L'\0');
    n = ::GetFullPathNameW(in.c_str(), n, &out[0], nullptr);
    out.resize(n);
    return syString(out).to_utf8();
}

std::FILE* syFileSystem::open_stream(const std::string& name, const char* mode) {
    if (is_device_name(name)) {
        errno = EACCES;
        return nullptr;
    }
    std::wstring wide_mode(mode, mode + std::strlen(mode));
    return ::_wfopen(wide(name).c_str(), wide_mode.c_str());
}

int syFileSystem::seek_stream(std::FILE* stream, long long offset, int whence) {
    return ::_fseeki64(stream, offset, whence);
}

long long syFileSystem::tell_stream(std::FILE* stream) { return ::_ftelli64(stream); }

int syFileSystem::process_id() { return ::_getpid(); }

bool syFileSystem::is_terminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

std::string syFileSystem::make_temp_dir(const std::string& parent, const std::string& prefix) {
    static std::atomic<unsigned> counter{0};
    std::string base = parent;
    if (!base.empty() && !is_separator(base.back()))
        base += '\\';
    base += prefix + std::to_string(process_id()) + "-" + std::to_string(::GetTickCount()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = base + std::to_string(counter++);
        if (::_wmkdir(wide(name).c_str()) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return std::string();
}

#else

syFileSystem::Kind syFileSystem::kind(const std::string& name) {
    struct stat st;
    return ::stat(name.c_str(), &st) == 0 ? kind_of(st.st_mode) : missing;
}

syFileSystem::Kind syFileSystem::kind(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 ? kind_of(st.st_mode) : missing;
}

int syFileSystem::open_read(const std::string& name, bool nonblocking) {
    return ::open(name.c_str(), O_RDONLY | O_CLOEXEC | (nonblocking ? O_NONBLOCK : 0));
}

void syFileSystem::set_blocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK); }

int syFileSystem::create_new(const std::string& name) {
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

long long syFileSystem::size(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size) : -1;
}

namespace {

syFileSystem::Stamp stamp_of(const struct stat& st) {
    syFileSystem::Stamp stamp;
    stamp.device = static_cast<unsigned long long>(st.st_dev);
    stamp.file = static_cast<unsigned long long>(st.st_ino);
    stamp.size = static_cast<unsigned long long>(st.st_size);
    stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changed = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

} // namespace

bool syFileSystem::stamp(const std::string& name, Stamp& stamp) {
    struct stat st;
    if (::stat(name.c_str(), &st) != 0)
        return false;
    stamp = stamp_of(st);
    return true;
}

bool syFileSystem::stamp(int fd, Stamp& stamp) {
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    stamp = stamp_of(st);
    return true;
}

long long syFileSystem::read(int fd, void* buffer, std::size_t n) {
    for (;;) {
        ssize_t got = ::read(fd, buffer, n);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

long long syFileSystem::read_at(int fd, void* buffer, std::size_t n, long long offset) {
    for (;;) {
        ssize_t got = ::pread(fd, buffer, n, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

bool syFileSystem::write_all(int fd, const void* data, std::size_t n) {
    const char* next = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t written = ::write(fd, next, n);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        n -= static_cast<std::size_t>(written);
    }
    return true;
}

void syFileSystem::copy_permissions(const std::string& name, int fd) {
    struct stat st;
    if (::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);
}

bool syFileSystem::sync(int fd) { return ::fsync(fd) == 0; }

int syFileSystem::close(int fd) { return ::close(fd); }

bool syFileSystem::replace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void syFileSystem::sync_directory(const std::string& directory) {
    int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool syFileSystem::remove(const std::string& name) { return ::unlink(name.c_str()) == 0; }

std::string syFileSystem::link_target(const std::string& name) {
    struct stat st;
    if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return name;
    char* resolved = ::realpath(name.c_str(), nullptr);
    if (!resolved)
        return name;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

std::string syFileSystem::absolute(const std::string& name) {
    if (!name.empty() && name[0] == '/')
        return name;
    char cwd[PATH_MAX];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + name : name;
}

std::FILE* syFileSystem::open_stream(const std::string& name, const char* mode) {
    return std::fopen(name.c_str(), mode);
}

int syFileSystem::seek_stream(std::FILE* stream, long long offset, int whence) {
    return ::fseeko(stream, static_cast<off_t>(offset), whence);
}

long long syFileSystem::tell_stream(std::FILE* stream) { return static_cast<long long>(::ftello(stream)); }

int syFileSystem::process_id() { return static_cast<int>(::getpid()); }

bool syFileSystem::is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

std::string syFileSystem::make_temp_dir(const std::string& parent, const std::string& prefix) {
    std::string pattern = parent;
    if (!pattern.empty() && pattern.back() != '/')
        pattern += '/';
    pattern += prefix + "XXXXXX";
    return ::mkdtemp(&pattern[0]) ? pattern : std::string();
}

#endif
