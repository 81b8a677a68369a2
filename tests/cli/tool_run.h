#pragma once

// Runs the omxml tool with an argument vector, no shell between: the same
// on Windows and POSIX systems. Standard output and error go to the files
// named, standard input is empty.
#include <string>
#include <vector>

// The exit status, or -1 when the tool could not be run or did not exit by itself.
int run_tool(const std::vector<std::string>& args, const std::string& out_file, const std::string& err_file);
