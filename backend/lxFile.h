#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/syFileSystem.h"

// Whole-file reading and atomic replacement, by UTF-8 file name used as it
// is (no URI unescaping, no decompression).
class lxFile {
public:
    // What tells one state of a file from another without reading it.
    using Stamp = syFileSystem::Stamp;

    // Opens the file at path for reading; -1, with the reason in error, when
    // it cannot (a directory cannot be read as a file). With regular_only (the
    // default), devices, pipes and sockets are refused too, at once: a load
    // must neither wait for ever on a FIFO without writer nor read /dev/zero.
    static int open_for_reading(const std::string& path, std::string& error, bool regular_only = true);
    // Reads the file at path; false, with the reason in error, when it cannot.
    // stamp, when given, receives the state of the file that was read.
    static bool read(const std::string& path, std::string& bytes, std::string& error, bool regular_only = true,
                     Stamp* stamp = nullptr);
    // The state of the file at path now; false when there is none to take.
    static bool stamp(const std::string& path, Stamp& stamp);
    // Reads up to len bytes from an open file: the count, 0 at its end, -1 on failure.
    static int read_some(int fd, char* buffer, int len);
    static void close(int fd);
    // path made absolute against the current folder (and drive, on Windows).
    static std::string absolute(const std::string& path);
    // Writes a temporary file in the directory of path through write and
    // renames it over path, so the old file stays intact unless the whole new
    // one was written. False, leaving no temporary file, on any failure.
    static bool replace(const std::string& path, const std::function<bool(int fd)>& write);
    static bool write_all(int fd, const char* data, std::size_t n);
};
