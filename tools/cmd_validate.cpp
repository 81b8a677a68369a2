// omxml validate: checks files and trees of files against their schemas, in parallel.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "backend/lxStreamValidator.h"
#include "tools/omxmlCommand.h"
#include "tools/omxmlDocumentTool.h"
#include "tools/omxmlFileSet.h"
#include "tools/omxmlJunit.h"

namespace {

enum Kind { kValid, kInvalid, kUnreadable, kSkipped };

struct Options {
    std::vector<std::string> schemas;
    std::string no_namespace_schema;
    unsigned jobs = omxml_default_threads();
    std::string junit;
    bool quiet = false;
    double progress_delay = 1.0;
    omxmlFilter filter;
    std::size_t max_errors = 20;
    bool huge = false;
    std::vector<std::string> paths;
};

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The check of one document that can be read, without building it: every
// problem up to max_errors, each on one line as "FILE:LINE:COLUMN: message";
// none when it is valid. stdin_bytes holds standard input for the PATH "-".
std::vector<std::string> check_document(const lxStreamValidator& validator, const omLoadOptions& options,
                                        const std::string& path, const std::string& stdin_bytes,
                                        std::size_t max_errors) {
    omParseError error;
    std::vector<omParseError> further;
    const std::size_t most = max_errors == 0 ? SIZE_MAX : max_errors;
    const bool valid = omxml_is_stdin(path) ? validator.check(syByteArray(stdin_bytes.data(), stdin_bytes.size()),
                                                              options, error, &further, most)
                                            : validator.check(omxml_path_arg(path), options, error, &further, most);
    if (valid)
        return {};
    std::vector<std::string> failures{omxml_describe_error(path, error)};
    for (const omParseError& next : further)
        failures.push_back(omxml_describe_error(path, next));
    return failures;
}

// The load options for the schemas named; false after a message when one cannot be read.
bool schema_options(const Options& o, omLoadOptions& options) {
    for (const std::string& schema : o.schemas) {
        const std::size_t eq = schema.find('=');
        if (!omxml_check_readable(schema.substr(eq + 1)))
            return false;
        options.add_external_schema(syString::from_utf8(schema.substr(0, eq)), omxml_path_arg(schema.substr(eq + 1)));
    }
    if (!o.no_namespace_schema.empty()) {
        if (!omxml_check_readable(o.no_namespace_schema))
            return false;
        options.set_no_namespace_schema(omxml_path_arg(o.no_namespace_schema));
    }
    return true;
}

int run(const Options& o) {
    const auto start = std::chrono::steady_clock::now();
    omLoadOptions options(omValidateOn);
    if (!schema_options(o, options))
        return 2;
    if (!o.junit.empty()) {
        const std::string reason = omxml_unwritable_reason(o.junit);
        if (!reason.empty()) {
            std::fprintf(stderr, "omxml validate: cannot write %s: %s\n", o.junit.c_str(), reason.c_str());
            return 2;
        }
    }
    std::shared_ptr<omDocumentFactory> factory = omxml_locate_factory("validate");
    if (!factory)
        return 2;
    // The schemas are compiled once, before any document; one that fails is reported once.
    lxStreamValidator validator;
    validator.set_huge_input(o.huge);
    omParseError schema_error;
    if (!validator.prepare(options, schema_error)) {
        const std::string url = schema_error.url().to_utf8();
        std::fprintf(stderr, "%s\n", omxml_describe_error(url.empty() ? "omxml validate" : url, schema_error).c_str());
        return 2;
    }

    const std::vector<omxmlInput> files = omxml_expand_paths(o.paths, o.filter).files;
    if (!omxml_something_to_do("validate", files, o.paths, o.filter))
        return 2;
    std::string stdin_bytes, stdin_problem;
    for (const omxmlInput& file : files)
        if (omxml_is_stdin(file.path)) {
            omxml_read_stdin(stdin_bytes, stdin_problem);
            break;
        }

    // Every thread checks against the schema set compiled above.
    auto job = [&](std::size_t i) {
        const auto begin = std::chrono::steady_clock::now();
        omxmlOutcome outcome;
        const omxmlInput& file = files[i];
        std::string reason = file.problem;
        if (reason.empty() && file.skipped.empty())
            reason = omxml_is_stdin(file.path) ? stdin_problem : omxml_unreadable_reason(file.path);
        if (!file.skipped.empty()) {
            outcome.kind = kSkipped;
            outcome.detail = "skipped: " + file.skipped;
            outcome.err = file.path + ": " + outcome.detail + "\n";
        } else if (!reason.empty()) {
            outcome.kind = kUnreadable;
            outcome.err = omxml_cannot_read(file.path, reason);
            outcome.detail = outcome.err.substr(file.path.size() + 2);
            outcome.err += "\n";
        } else {
            const std::vector<std::string> failures =
                check_document(validator, options, file.path, stdin_bytes, o.max_errors);
            outcome.kind = failures.empty() ? kValid : kInvalid;
            for (const std::string& failure : failures)
                outcome.err += failure + "\n";
            if (!failures.empty())
                outcome.detail = failures.front().substr(failures.front().find(": ", file.path.size()) + 2);
        }
        outcome.seconds = since(begin);
        return outcome;
    };

    std::size_t counts[4] = {0, 0, 0, 0};
    omxmlJunitSuite suite{"omxml validate", {}, "", -1};
    auto report = [&](std::size_t i, const omxmlOutcome& outcome) {
        ++counts[outcome.kind];
        std::fputs(outcome.err.c_str(), stderr);
        if (o.junit.empty())
            return;
        omxmlJunitCase test{files[i].path, "omxml.validate", files[i].path, -1, outcome.seconds, "", "", "", ""};
        static const char* const outcomes[] = {"", "failure", "error", "skipped"};
        static const char* const types[] = {"", "invalid", "unreadable", "skipped"};
        test.outcome = outcomes[outcome.kind];
        test.type = types[outcome.kind];
        test.message = outcome.detail;
        test.text = outcome.err.empty() ? "" : outcome.err.substr(0, outcome.err.size() - 1);
        suite.cases.push_back(std::move(test));
    };
    omxmlProgress progress{!o.quiet, o.progress_delay, "omxml validate: ", {}};
    for (const omxmlInput& file : files)
        progress.bytes.push_back(file.size);
    omxml_run_parallel(files.size(), o.jobs, job, report, progress);

    suite.seconds = since(start);
    if (!o.quiet) {
        std::printf("%zu valid, %zu invalid, %zu unreadable", counts[kValid], counts[kInvalid], counts[kUnreadable]);
        if (counts[kSkipped])
            std::printf(", %zu skipped", counts[kSkipped]);
        std::printf(" (%.2f s)\n", suite.seconds);
    }
    std::fflush(stdout);
    if (!o.junit.empty() && !omxml_write_junit(*factory, o.junit, "validate", {suite}))
        return 2;
    return counts[kUnreadable] ? 2 : counts[kInvalid] ? 1 : 0;
}

omxmlCommand::Run setup(CLI::App& app) {
    auto o = std::make_shared<Options>();
    app.add_option("PATH", o->paths, "a document, - for standard input, or a directory: its *.xml files at any depth")
        ->type_name("")
        ->required();
    app.add_option("--schema", o->schemas, "the schema for the elements of NAMESPACE; may be repeated")
        ->type_name("NAMESPACE=PATH")
        ->allow_extra_args(false)
        ->check(omxml_pair("NAMESPACE=PATH"));
    app.add_option("--no-namespace-schema", o->no_namespace_schema, "the schema for the elements without a namespace")
        ->type_name("PATH");
    omxml_add_filter_options(app, o->filter);
    app.add_option("-j,--jobs", o->jobs, "check N files at a time (default: one per core)")
        ->type_name("N")
        ->check(omxml_whole_number(1));
    app.add_option("--junit", o->junit, "also write a JUnit report, one test case per document")->type_name("FILE");
    app.add_option("--max-errors", o->max_errors, "report at most N problems of each file (default 20, 0: all)")
        ->type_name("N")
        ->check(omxml_whole_number(0));
    app.add_flag("--huge", o->huge,
                 "trusted input: lift the limits of 256 nested elements and 10 MB of text (100 000 levels stay, 2048 "
                 "with a current libxml2)");
    app.add_flag("-q,--quiet", o->quiet, "print the failures only: no summary, no progress line");
    app.add_option("--progress-delay", o->progress_delay, "show progress after SECONDS (default 1), on a terminal only")
        ->type_name("SECONDS")
        ->check(omxml_seconds());
    app.footer("A directory stands for the files at any depth whose name --include takes (*.xml unless\n"
               "named) and no --exclude takes, in path order; folders whose name begins with a dot are\n"
               "left out. A symbolic link is followed only to a file inside the directory; any other\n"
               "is named on stderr as FILE: skipped: reason. With no schema named, the documents are\n"
               "only checked to be well-formed. Each schema is compiled once, before any document, and\n"
               "shared by all threads; a schema that fails is reported once, as SCHEMA:LINE:COLUMN:\n"
               "message, exit 2. Documents are checked as they are read, without building them, so\n"
               "memory does not grow with their size.\n"
               "\n"
               "Every problem (up to --max-errors a file) is printed to stderr on one line,\n"
               "FILE:LINE:COLUMN: message, in the order\n"
               "of the files whatever order the threads finish in; a file that cannot be read (a FIFO,\n"
               "socket or device among them, never waited on) as FILE: cannot read: reason. Then a\n"
               "summary: N valid, N invalid, N unreadable (T s). A run that finds no file to check\n"
               "says so and fails. --junit FILE is checked to be writable before any document.\n"
               "\n"
               "Exit status: 0 every document valid, 1 a document invalid or malformed, 2 usage error,\n"
               "nothing to check, a schema that fails or a file that cannot be read.\n"
               "\n"
               "Examples:\n"
               "  omxml validate --schema urn:shop=schemas/order.xsd -j 4 --junit report.xml orders/\n"
               "  omxml validate --include '*.xml' --include '*.xsd' --exclude 'draft-*' docs/\n"
               "  curl -s https://example.org/feed.xml | omxml validate -");
    return [o] { return run(*o); };
}

const omxmlCommand command("validate", "check that documents are well-formed and meet their schemas", &setup);

} // namespace
