#pragma once

// What the tests do differently on Windows and on POSIX systems: temporary
// folders, process ids, locale names, file-name rules, and the skip of a test
// that cannot exist on one of them (with its reason and its counterpart).

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// A new, empty folder inside parent; empty when none could be made.
inline std::string make_temp_dir(const std::string& parent, const std::string& prefix) {
#ifdef _WIN32
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path path =
            std::filesystem::u8path(parent) / (prefix + std::to_string(process_id()) + "-" + std::to_string(seed()));
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec))
            return path.u8string();
    }
    return std::string();
#else
    std::string pattern = (std::filesystem::path(parent) / (prefix + "XXXXXX")).string();
    return ::mkdtemp(&pattern[0]) ? pattern : std::string();
#endif
}

// The file-system path of a UTF-8 name, for std::filesystem and the streams
// (whose narrow names are not UTF-8 on Windows).
inline std::filesystem::path fs_path(const std::string& utf8) { return std::filesystem::u8path(utf8); }

// The name this system gives a locale written as on POSIX systems
// ("de_DE.UTF-8"); Windows writes "de-DE".
inline std::string system_locale_name(const std::string& posix_name) {
#ifdef _WIN32
    std::string name = posix_name.substr(0, posix_name.find('.'));
    std::size_t underscore = name.find('_');
    if (underscore != std::string::npos)
        name[underscore] = '-';
    return name;
#else
    return posix_name;
#endif
}
