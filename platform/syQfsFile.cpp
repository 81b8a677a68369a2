#include "platform/syQfsFile.h"

#include <climits>
#include <cstdint>
#include <string>

#include "platform/syFileSystem.h"

syQfsFileStdio::syQfsFileStdio(const kuString& path, syQfsMode mode) {
    std::string name(path.c_str(), static_cast<std::size_t>(path.length()));
    if (mode != syQfsRead) {
        m_file = syFileSystem::open_stream(name, "wb");
        return;
    }
    // Only a regular file is opened: a FIFO, socket or device is refused
    // before opening it could have any effect. Should the path become
    // something else in between, the open does not block, and the
    // descriptor's own type is checked where its size is taken (a seek from
    // the end), which is where a whole-file read begins. O_NONBLOCK stays: it
    // has no effect on a regular file's reads.
    if (syFileSystem::kind(name) != syFileSystem::regular)
        return;
    m_fd = syFileSystem::open_read(name, true);
}

syQfsFileStdio::~syQfsFileStdio() { syQfsFileStdio::close(); }

int syQfsFileStdio::close() {
    if (m_fd >= 0) {
        int rc = syFileSystem::close(m_fd);
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
            long long size = syFileSystem::size(m_fd);
            if (size < 0)
                return -1;
            base = size;
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
    return syFileSystem::seek_stream(m_file, distance, whence);
}

long long syQfsFileStdio::position() {
    if (m_fd >= 0)
        return m_position;
    return m_file ? syFileSystem::tell_stream(m_file) : -1;
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
        long long got = syFileSystem::read_at(m_fd, to + done, wanted - done, m_position);
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
