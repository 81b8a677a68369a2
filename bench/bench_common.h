#pragma once

#include <string>

#include <libxml/tree.h>

// Helpers shared by the benchmark programs: where the generated data lives,
// reading it, and the raw libxml2 side of the back-end comparisons.

// Takes "--data=DIR" out of the arguments (after the benchmark library has
// taken its own) and returns DIR; "bench-data" when absent.
std::string bench_data_dir(int& argc, char** argv);

// The whole file; exits with a message when it cannot be read.
std::string bench_read_file(const std::string& path);

// Removes whitespace-only text children of every element whose content is
// element-only (it has element children and no other text), the rule the
// document back-end applies after parsing. Iterative: deep trees are fine.
void bench_drop_indentation(xmlNode* root);

// Peak resident set size of this process so far, in KiB (getrusage).
long bench_peak_rss_kib();
