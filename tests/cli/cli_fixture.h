#pragma once

// Runs the omxml tool as a child process, with an argument vector, in a
// per-test directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/tool_run.h"
#include "support.h"

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

using Args = std::vector<std::string>;

class CliFixture : public ::testing::Test {
protected:
    // The separator the tool puts between a folder it walks and an entry.
    static constexpr const char* kSep = kWindows ? "\\" : "/";

    std::string write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(fs_path(m_tmp.file(name)).parent_path());
        return m_tmp.write(name, text);
    }

    static std::string slurp(const std::string& path) { return read_bytes(path); }
    // An argument vector from its words (a call, where tables of cases are kept compact).
    template <class... Words>
    static Args args(const Words&... words) {
        return {std::string(words)...};
    }

    // Runs "omxml ARGS", standard input from the file in, in the directory dir.
    CliRun omxml(Args args, const std::string& in = "", const std::string& dir = "") {
        args.insert(args.begin(), OMXML_TOOL);
        return run(args, in, dir);
    }
    // Runs any program (on POSIX systems, found on the PATH).
    CliRun run(const Args& argv, const std::string& in = "", const std::string& dir = "") {
        const int status = run_program(argv, m_tmp.file("stdout"), m_tmp.file("stderr"), in, dir);
        return {status, slurp(m_tmp.file("stdout")), slurp(m_tmp.file("stderr"))};
    }

    TempDir m_tmp;
    const std::string m_dir = m_tmp.path();
};
