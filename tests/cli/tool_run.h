#pragma once

// Runs a program with an argument vector, no shell between: the same on
// Windows and POSIX systems. Standard output and error go to the files
// named; standard input comes from in_file (empty: nothing), and the child
// starts in dir (empty: ours).
#include <string>
#include <vector>

// The exit status, or -1 when the program could not be run or did not exit by itself.
int run_program(const std::vector<std::string>& argv, const std::string& out_file, const std::string& err_file,
                const std::string& in_file = "", const std::string& dir = "");
