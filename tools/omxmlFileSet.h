#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

// The files of the commands that work on many: PATH arguments expanded into
// files, and the work on them spread over threads with results in input order.

// One file to work on. problem says why it cannot be read, skipped why it is
// left out (both empty when the command is to try it).
struct omxmlInput {
    std::string path;
    std::string problem;
    std::string skipped;
    std::uintmax_t size = 0; // bytes, for progress; 0 when not known
};

// Which files of a directory are taken: those whose name matches an include
// pattern (default *.xml) and no exclude pattern. Patterns are shell globs:
// * any run, ? one character, [abc] [a-z] [!abc] one of a set.
struct omxmlFilter {
    std::vector<std::string> include;
    std::vector<std::string> exclude;
    bool takes(const std::string& name) const;
};

bool omxml_glob_match(const std::string& pattern, const std::string& name);

struct omxmlFileSet {
    std::vector<omxmlInput> files;
    bool directory_named = false; // a PATH was a directory
};

// Each PATH as given: "-" (standard input) or a file (or anything not a
// directory) as named, a directory as its files that filter takes at any
// depth, sorted by path, folders whose name begins with a dot left out. A
// symbolic link inside a directory is followed only to a file within that
// directory's tree; the others are listed as skipped, so a loop of links ends
// nowhere and nothing is left out unsaid.
omxmlFileSet omxml_expand_paths(const std::vector<std::string>& paths, const omxmlFilter& filter);

// Declares --include GLOB and --exclude GLOB (each may be repeated) on app.
void omxml_add_filter_options(CLI::App& app, omxmlFilter& filter);

// True when files holds something to work on; otherwise names what was
// skipped and says on stderr that there is nothing to do, and why.
bool omxml_something_to_do(const char* command, const std::vector<omxmlInput>& files,
                           const std::vector<std::string>& paths, const omxmlFilter& filter);

// The name of standard input among the PATHs.
inline bool omxml_is_stdin(const std::string& path) { return path == "-"; }

// What a command's work on one file gave.
struct omxmlOutcome {
    int kind = 0;       // the command's own classification
    std::string out;    // for stdout
    std::string err;    // for stderr, whole lines
    std::string detail; // the first failure's message alone, for reports
    double seconds = 0;
};

struct omxmlProgress {
    bool shown = false; // only ever drawn when stderr is a terminal
    double delay = 1.0; // seconds the run must take before the line appears
    const char* label = "";
    std::vector<std::uintmax_t> bytes; // of each file, for the share done and the time left
};

// Runs job(i) for every i below count on up to threads threads. report(i,
// outcome) is called on the calling thread in index order, each as soon as
// every outcome before it is in, whatever order the threads finish in. While
// it runs, a progress line (bytes and files done, bytes per second, time left)
// is kept on stderr when progress asks for it.
void omxml_run_parallel(std::size_t count, unsigned threads, const std::function<omxmlOutcome(std::size_t)>& job,
                        const std::function<void(std::size_t, const omxmlOutcome&)>& report,
                        const omxmlProgress& progress);

// The number of threads to use when the user names none: one per core.
unsigned omxml_default_threads();
