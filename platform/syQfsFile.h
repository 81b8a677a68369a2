#pragma once

/// @file
/// File objects and their counted handle.

#include "omxmlExport.h"

#include <cstddef>
#include <cstdio>
#include <memory>

#include "platform/kuString.h"

/// Open mode of a file object; 0 reads.
using syQfsMode = int;
enum { syQfsRead = 0, syQfsWrite = 1 };

/// A file object. A file that could not be opened reports failure from every
/// operation: seek and position give -1, read and write 0 items.
class OMXML_PLATFORM_API syIQfsFile {
public:
    /// Closes the file if it is open.
    virtual ~syIQfsFile() = default;
    /// True while the file is open.
    virtual bool is_open() const = 0;
    /// Closes the file: 0 on success, non-zero on failure or when it was not open.
    virtual int close() = 0;
    /// origin 0: from the start, 1: from the current position, 2: from the end.
    /// Moves the position: 0 on success, -1 on failure.
    virtual int seek(long long distance, int origin) = 0;
    /// The position, or -1.
    virtual long long position() = 0;
    /// Reads up to count items of item_size bytes: the number of whole items read, 0 at the end or on failure.
    virtual std::size_t read(void* buffer, std::size_t item_size, std::size_t count) = 0;
    /// Writes count items of item_size bytes: the number written, short on failure.
    virtual std::size_t write(const void* buffer, std::size_t item_size, std::size_t count) = 0;
    /// Back to the start: 0 on success, -1 on failure.
    virtual int rewind() = 0;
};

/// File object opened by narrow (UTF-8) path. For reading, anything but a
/// regular file (a directory, FIFO, socket or device) is refused at once as if
/// it could not be opened. Writing goes through a C stdio stream; reading goes
/// straight to the descriptor, with the position kept here, so that finding
/// the size and reading a whole file from its start cost one system call each.
class OMXML_PLATFORM_API syQfsFileStdio : public syIQfsFile {
public:
    /// Opens the file at path (UTF-8) to read (syQfsRead) or write (syQfsWrite); check is_open().
    syQfsFileStdio(const kuString& path, syQfsMode mode);
    /// Closes the file if it is open.
    ~syQfsFileStdio() override;
    /// A file object is not copied.
    syQfsFileStdio(const syQfsFileStdio&) = delete;
    /// A file object is not copied.
    syQfsFileStdio& operator=(const syQfsFileStdio&) = delete;

    /// True while the file is open.
    bool is_open() const override { return m_file != nullptr || m_fd >= 0; }
    /// Closes the file: 0 on success, non-zero on failure or when not open.
    int close() override;
    /// Moves the position: 0 on success, -1 on failure.
    int seek(long long distance, int origin) override;
    /// The position, or -1.
    long long position() override;
    /// Reads up to count items of item_size bytes: the number of whole items read.
    std::size_t read(void* buffer, std::size_t item_size, std::size_t count) override;
    /// Writes count items of item_size bytes: the number written.
    std::size_t write(const void* buffer, std::size_t item_size, std::size_t count) override;
    /// Back to the start: 0 on success, -1 on failure.
    int rewind() override;

private:
    std::FILE* m_file = nullptr;
    /// The descriptor of a file opened for reading, -1 otherwise, and the
    /// position its next read starts at.
    int m_fd = -1;
    long long m_position = 0;
};

/// Shared, counted handle on a file object; it owns the object it is built from.
class OMXML_PLATFORM_API syIQfsFileqcPrf {
public:
    /// A handle on nothing.
    syIQfsFileqcPrf() = default;
    /// The first handle on file, which the last handle deletes.
    explicit syIQfsFileqcPrf(syIQfsFile* file) : m_file(file) {}

    /// The file object, or null.
    syIQfsFile* operator->() const { return m_file.get(); }
    /// The file object, or null.
    syIQfsFile* get() const { return m_file.get(); }
    /// True when the handle holds a file object.
    explicit operator bool() const { return m_file != nullptr; }
    /// The number of handles on the file object.
    long use_count() const { return m_file.use_count(); }

private:
    std::shared_ptr<syIQfsFile> m_file;
};
