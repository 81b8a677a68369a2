#pragma once

#include <cstddef>
#include <string>

#include <libxml/tree.h>

// Helpers shared by the benchmark programs: where the generated data lives,
// reading it, and the raw libxml2 side of the back-end comparisons.

// Takes "--data=DIR" out of the arguments (after the benchmark library has
// taken its own) and returns DIR; "bench-data" when absent.
std::string bench_data_dir(int& argc, char** argv);

// The whole file; exits with a message when it cannot be read.
std::string bench_read_file(const std::string& path);

// Raw libxml2's parse of a document held in memory, with the parser options
// the back-end uses, as cheaply as libxml2 2.9 allows: xmlReadIO streaming
// the bytes, because xmlReadMemory first copies the whole input (and the
// static-buffer input misparses large documents). Null when the text is not
// well-formed; free with xmlFreeDoc.
xmlDocPtr bench_raw_parse(const char* data, std::size_t size);
// bench_raw_parse, then bench_drop_indentation: what a load from memory does.
xmlDocPtr bench_raw_load(const char* data, std::size_t size);

// Removes the whitespace-only text children of every element whose content
// is element-only (children other than text, no text beyond white space, no
// CDATA), outside xml:space="preserve": the back-end's rule, applied the way
// a libxml2 program would, in a walk after the parse. Iterative, so deep
// trees are fine.
void bench_drop_indentation(xmlNode* root);

// Peak resident set size of this process so far, in KiB (getrusage).
long bench_peak_rss_kib();
