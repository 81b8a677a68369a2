#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Whole-file reading and atomic replacement, by file name used byte for byte
// (no URI unescaping, no decompression).
class lxFile {
public:
    // What tells one state of a file from another without reading it: its
    // identity (device, inode), size and times of change.
    struct Stamp {
        unsigned long long device = 0, inode = 0, size = 0;
        long long modified_s = 0, modified_ns = 0, changed_s = 0, changed_ns = 0;
        bool operator==(const Stamp& other) const;
        bool operator!=(const Stamp& other) const { return !(*this == other); }
    };

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
    // Writes a temporary file in the directory of path through write and
    // renames it over path, so the old file stays intact unless the whole new
    // one was written. False, leaving no temporary file, on any failure.
    static bool replace(const std::string& path, const std::function<bool(int fd)>& write);
    static bool write_all(int fd, const char* data, std::size_t n);
};
