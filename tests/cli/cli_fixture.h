#pragma once

// Runs the omxml tool as a child process in a per-test directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "portable.h"

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CliFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_ON_WINDOWS("these tests drive the tool through a POSIX shell; the Windows stage runs omxml.exe itself");
        m_dir = ::testing::TempDir() + "omxml-cli-" + std::to_string(process_id()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(std::system(("mkdir -p '" + m_dir + "'").c_str()), 0);
    }
    void TearDown() override {
        if (!m_dir.empty())
            std::system(("rm -rf '" + m_dir + "'").c_str());
    }

    std::string write(const std::string& name, const std::string& text) {
        std::string path = m_dir + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    static std::string slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Runs a shell command, its output captured.
    CliRun run(const std::string& command) {
        std::string out = m_dir + "/stdout", err = m_dir + "/stderr";
        int raw = std::system(("(" + command + ") >'" + out + "' 2>'" + err + "'").c_str());
        return {exit_status(raw), slurp(out), slurp(err)};
    }

    // Runs "omxml ARGS" with ARGS given as shell words.
    CliRun omxml(const std::string& args) { return run("'" + std::string(OMXML_TOOL) + "' " + args); }

    std::string m_dir;
};
