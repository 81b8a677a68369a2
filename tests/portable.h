#pragma once

// What the tests do differently on Windows and on POSIX systems: temporary
// folders, process ids, locale names, file-name rules, and the skip of a test
// that cannot exist on one of them (with its reason and its counterpart).

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/syFileSystem.h"
#include "platform/syProcessControl.h"

#ifdef _WIN32
constexpr bool kWindows = true;
// Skips the test on Windows, saying why and which test stands in for it.
#define SKIP_ON_WINDOWS(reason) GTEST_SKIP() << reason
#else
constexpr bool kWindows = false;
#define SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif

inline int process_id() { return syProcessControl().getpid(); }

// The file-system path of a UTF-8 name, for std::filesystem and the streams
// (whose narrow names are not UTF-8 on Windows).
inline std::filesystem::path fs_path(const std::string& utf8) { return std::filesystem::u8path(utf8); }

// The names this system may give a locale written as on POSIX systems
// ("de_DE.UTF-8"): Windows' C run-times take "de_DE" or "de-DE", without the
// encoding.
inline std::vector<std::string> system_locale_names(const std::string& posix_name) {
#ifdef _WIN32
    std::string name = posix_name.substr(0, posix_name.find('.')), hyphen = name;
    std::replace(hyphen.begin(), hyphen.end(), '_', '-');
    return {name, hyphen};
#else
    return {posix_name};
#endif
}

// The exit status (0 to 255) of a child that std::system waited for, -1 when
// it did not exit by itself.
inline int exit_status(int raw) {
#ifdef _WIN32
    return raw;
#else
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
}

#ifdef _WIN32
// No FIFOs, and links need privileges: these fail, and the tests that need
// them skip themselves.
inline int mkfifo(const char*, int) {
    errno = ENOSYS;
    return -1;
}
inline int symlink(const char*, const char*) {
    errno = ENOSYS;
    return -1;
}
#endif
