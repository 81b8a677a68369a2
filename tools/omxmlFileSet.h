#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The files of the commands that work on many: PATH arguments expanded into
// files, and the work on them spread over threads with results in input order.

// One file to work on; problem says why it cannot be read (empty when it
// might be: the command finds out).
struct omxmlInput {
    std::string path;
    std::string problem;
};

// Each PATH as given: a file (or anything not a directory) as named, a
// directory as its *.xml files at any depth, sorted by path. Symbolic links
// inside a directory are followed only to files within that directory's tree;
// linked directories are not entered, so a loop of links ends nowhere.
std::vector<omxmlInput> omxml_expand_paths(const std::vector<std::string>& paths);

// What a command's work on one file gave.
struct omxmlOutcome {
    int kind = 0;       // the command's own classification
    std::string out;    // for stdout
    std::string err;    // for stderr
    std::string detail; // the failure's message alone, for reports
    double seconds = 0;
};

struct omxmlProgress {
    bool shown = false; // only ever drawn when stderr is a terminal
    double delay = 1.0; // seconds the run must take before the line appears
    const char* label = "";
};

// Runs job(i) for every i below count on up to threads threads. report(i,
// outcome) is called on the calling thread in index order, each as soon as
// every outcome before it is in, whatever order the threads finish in. While
// it runs, a progress line (done/total, files per second, time left) is kept
// on stderr when progress asks for it.
void omxml_run_parallel(std::size_t count, unsigned threads, const std::function<omxmlOutcome(std::size_t)>& job,
                        const std::function<void(std::size_t, const omxmlOutcome&)>& report,
                        const omxmlProgress& progress);

// The number of threads to use when the user names none: one per core.
unsigned omxml_default_threads();
