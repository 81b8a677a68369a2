#include "platform/syQfsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

syQfsFileStdio::syQfsFileStdio(const kuString& path, syQfsMode mode) {
    if (mode != syQfsRead) {
        m_file = std::fopen(path.c_str(), "wb");
        return;
    }
    // Only a regular file is read, and a FIFO without writer is refused at once
    // rather than waited on: open without blocking, check, then block again.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 || !(m_file = ::fdopen(fd, "rb")))
        ::close(fd);
    // Reads go straight to the system: a reader takes a whole file in one
    // read, which a stream buffer would only split and copy.
    if (m_file)
        std::setvbuf(m_file, nullptr, _IONBF, 0);
}

syQfsFileStdio::~syQfsFileStdio() { syQfsFileStdio::close(); }

int syQfsFileStdio::close() {
    if (!m_file)
        return -1;
    int rc = std::fclose(m_file);
    m_file = nullptr;
    return rc;
}

int syQfsFileStdio::seek(long long distance, int origin) {
    if (!m_file)
        return -1;
    int whence = origin == 2 ? SEEK_END : origin == 1 ? SEEK_CUR : SEEK_SET;
    return ::fseeko(m_file, static_cast<off_t>(distance), whence);
}

long long syQfsFileStdio::position() { return m_file ? static_cast<long long>(::ftello(m_file)) : -1; }

std::size_t syQfsFileStdio::read(void* buffer, std::size_t item_size, std::size_t count) {
    return m_file ? std::fread(buffer, item_size, count, m_file) : 0;
}

std::size_t syQfsFileStdio::write(const void* buffer, std::size_t item_size, std::size_t count) {
    return m_file ? std::fwrite(buffer, item_size, count, m_file) : 0;
}

int syQfsFileStdio::rewind() { return seek(0, 0); }
