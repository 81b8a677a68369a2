#pragma once

#include "omxmlExport.h"

#include <cstddef>
#include <cstdio>
#include <string>

// The file-system calls of the platform, by UTF-8 name: UTF-16 wide calls on
// Windows, the POSIX calls elsewhere. Descriptors are the C run-time's; on
// failure errno holds the reason, except where a function says otherwise.
class OMXML_PLATFORM_API syFileSystem {
public:
    enum Kind { missing, regular, directory, other };

    // What a name refers to, links followed. On Windows a reserved device
    // name (is_device_name) is other without asking the system.
    static Kind kind(const std::string& name);
    static Kind kind(int fd);
    // True for a name whose last part Windows keeps for a device: CON, PRN,
    // AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, in any case, with any
    // extension or trailing dots and blanks, or a name in the device
    // namespace (\\.\...). The same answer on every system; only Windows
    // acts on it.
    static bool is_device_name(const std::string& name);
    static bool is_separator(char c);

    // Opens for reading in binary mode, not inherited by children; -1 on
    // failure. nonblocking (POSIX only) keeps an open of a FIFO from waiting.
    static int open_read(const std::string& name, bool nonblocking);
    static void set_blocking(int fd);
    // Creates a new file for writing, failing with EEXIST if there is one.
    static int create_new(const std::string& name);
    // The size of an open regular file, 64 bits wide everywhere; -1 on
    // failure and for anything but a regular file (one call to the system).
    static long long size(int fd);
    // What tells one state of a file from another without reading it: its
    // identity, size and times of last change, as finely as the system keeps
    // them.
    struct Stamp {
        unsigned long long device = 0, file = 0, size = 0;
        long long modified = 0, changed = 0;
        bool operator==(const Stamp& other) const {
            return device == other.device && file == other.file && size == other.size && modified == other.modified &&
                   changed == other.changed;
        }
        bool operator!=(const Stamp& other) const { return !(*this == other); }
    };
    // The state of the file at name, or of an open file; false when there is
    // none to take.
    static bool stamp(const std::string& name, Stamp& stamp);
    static bool stamp(int fd, Stamp& stamp);
    // Reads up to n bytes, from the descriptor's position or from offset;
    // the count read, 0 at the end, -1 on failure.
    static long long read(int fd, void* buffer, std::size_t n);
    static long long read_at(int fd, void* buffer, std::size_t n, long long offset);
    static bool write_all(int fd, const void* data, std::size_t n);
    // Gives the file at fd the permission bits of the file at name, if any.
    static void copy_permissions(const std::string& name, int fd);
    // Flushes the file's data to the disk.
    static bool sync(int fd);
    static int close(int fd);

    // Renames from over to, replacing to at once and durably (the rename
    // itself reaches the disk before it returns on Windows). No errno.
    static bool replace(const std::string& from, const std::string& to);
    // Makes a rename inside directory durable where the system needs that.
    static void sync_directory(const std::string& directory);
    static bool remove(const std::string& name);
    // The file a link points to, or name when it is no link.
    static std::string link_target(const std::string& name);
    // name made absolute against the current directory (on Windows also
    // against the current drive), with its separators as given.
    static std::string absolute(const std::string& name);

    // A C stream on the file; binary modes only.
    static std::FILE* open_stream(const std::string& name, const char* mode);
    static int seek_stream(std::FILE* stream, long long offset, int whence);
    static long long tell_stream(std::FILE* stream);

    static int process_id();
    static bool is_terminal(std::FILE* stream);
    // Makes a new, empty folder prefix+"..." inside parent and returns its
    // name; empty when none could be made.
    static std::string make_temp_dir(const std::string& parent, const std::string& prefix);
};
