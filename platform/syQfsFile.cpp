#include "platform/syQfsFile.h"

#include <cerrno>
#include <climits>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

syQfsFileStdio::syQfsFileStdio(const kuString& path, syQfsMode mode) {
    if (mode != syQfsRead) {
        m_file = std::fopen(path.c_str(), "wb");
        return;
    }
    // Only a regular file is opened: a FIFO, socket or device is refused
    // before opening it could have any effect. Should the path become
    // something else in between, the open does not block, and the
    // descriptor's own type is checked where its size is taken (a seek from
    // the end), which is where a whole-file read begins. O_NONBLOCK stays: it
    // has no effect on a regular file's reads.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

syQfsFileStdio::~syQfsFileStdio() { syQfsFileStdio::close(); }

int syQfsFileStdio::close() {
    if (m_fd >= 0) {
        int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }
    if (!m_file)
        return -1;
    int rc = std::fclose(m_file);
    m_file = nullptr;
    return rc;
}

int syQfsFileStdio::seek(long long distance, int origin) {
    if (m_fd >= 0) {
        long long base = m_position;
        if (origin == 2) {
            struct stat st;
            if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
                return -1;
            base = static_cast<long long>(st.st_size);
        } else if (origin != 1) {
            base = 0;
        }
        // As lseek: a position before the start is refused and changes nothing.
        if (distance > 0 ? base > LLONG_MAX - distance : base + distance < 0)
            return -1;
        m_position = base + distance;
        return 0;
    }
    if (!m_file)
        return -1;
    int whence = origin == 2 ? SEEK_END : origin == 1 ? SEEK_CUR : SEEK_SET;
    return ::fseeko(m_file, static_cast<off_t>(distance), whence);
}

long long syQfsFileStdio::position() {
    if (m_fd >= 0)
        return m_position;
    return m_file ? static_cast<long long>(::ftello(m_file)) : -1;
}

std::size_t syQfsFileStdio::read(void* buffer, std::size_t item_size, std::size_t count) {
    if (m_fd < 0)
        return m_file ? std::fread(buffer, item_size, count, m_file) : 0;
    if (item_size == 0 || count == 0 || count > SIZE_MAX / item_size)
        return 0;
    // As fread: whole items, read until they are all in or the file ends.
    char* to = static_cast<char*>(buffer);
    std::size_t wanted = item_size * count;
    std::size_t done = 0;
    while (done < wanted) {
        ssize_t got = ::pread(m_fd, to + done, wanted - done, static_cast<off_t>(m_position));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
        m_position += got;
    }
    return done / item_size;
}

std::size_t syQfsFileStdio::write(const void* buffer, std::size_t item_size, std::size_t count) {
    // A file opened for reading is not written.
    return m_file ? std::fwrite(buffer, item_size, count, m_file) : 0;
}

int syQfsFileStdio::rewind() { return seek(0, 0); }
