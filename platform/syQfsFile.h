#pragma once

#include "omxmlExport.h"

#include <cstddef>
#include <cstdio>
#include <memory>

#include "platform/kuString.h"

// Open mode of a file object; 0 reads.
using syQfsMode = int;
enum { syQfsRead = 0, syQfsWrite = 1 };

// A file object. A file that could not be opened reports failure from every
// operation: seek and position give -1, read and write 0 items.
class OMXML_PLATFORM_API syIQfsFile {
public:
    virtual ~syIQfsFile() = default;
    virtual bool is_open() const = 0;
    virtual int close() = 0;
    // origin 0: from the start, 1: from the current position, 2: from the end.
    virtual int seek(long long distance, int origin) = 0;
    virtual long long position() = 0;
    virtual std::size_t read(void* buffer, std::size_t item_size, std::size_t count) = 0;
    virtual std::size_t write(const void* buffer, std::size_t item_size, std::size_t count) = 0;
    virtual int rewind() = 0;
};

// File object opened by narrow (UTF-8) path. For reading, anything but a
// regular file (a directory, FIFO, socket or device) is refused at once as if
// it could not be opened. Writing goes through a C stdio stream; reading goes
// straight to the descriptor, with the position kept here, so that finding
// the size and reading a whole file from its start cost one system call each.
class OMXML_PLATFORM_API syQfsFileStdio : public syIQfsFile {
public:
    syQfsFileStdio(const kuString& path, syQfsMode mode);
    ~syQfsFileStdio() override;
    syQfsFileStdio(const syQfsFileStdio&) = delete;
    syQfsFileStdio& operator=(const syQfsFileStdio&) = delete;

    bool is_open() const override { return m_file != nullptr || m_fd >= 0; }
    int close() override;
    int seek(long long distance, int origin) override;
    long long position() override;
    std::size_t read(void* buffer, std::size_t item_size, std::size_t count) override;
    std::size_t write(const void* buffer, std::size_t item_size, std::size_t count) override;
    int rewind() override;

private:
    std::FILE* m_file = nullptr;
    // The descriptor of a file opened for reading, -1 otherwise, and the
    // position its next read starts at.
    int m_fd = -1;
    long long m_position = 0;
};

// Shared, counted handle on a file object; it owns the object it is built from.
class OMXML_PLATFORM_API syIQfsFileqcPrf {
public:
    syIQfsFileqcPrf() = default;
    explicit syIQfsFileqcPrf(syIQfsFile* file) : m_file(file) {}

    syIQfsFile* operator->() const { return m_file.get(); }
    syIQfsFile* get() const { return m_file.get(); }
    explicit operator bool() const { return m_file != nullptr; }
    long use_count() const { return m_file.use_count(); }

private:
    std::shared_ptr<syIQfsFile> m_file;
};
