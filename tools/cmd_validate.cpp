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

enum Kind { kValid, kInvalid, kUnreadable };

struct Options {
    std::vector<std::string> schemas;
    std::string no_namespace_schema;
    unsigned jobs = omxml_default_threads();
    std::string junit;
    bool quiet = false;
    double progress_delay = 1.0;
    std::size_t max_errors = 20;
    bool huge = false;
    std::vector<std::string> paths;
};

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Checks one document without building it: every problem up to max_errors,
// each on one line FILE:LINE:COLUMN: message.
omxmlOutcome check_document(const lxStreamValidator& validator, const omLoadOptions& options, const omxmlInput& file,
                            std::size_t max_errors) {
    omxmlOutcome outcome;
    const std::string reason = file.problem.empty() ? omxml_unreadable_reason(file.path) : file.problem;
    if (!reason.empty()) {
        outcome.kind = kUnreadable;
        outcome.detail = "cannot read: " + reason;
        outcome.err = file.path + ": " + outcome.detail;
        return outcome;
    }
    omParseError error;
    std::vector<omParseError> further;
    if (validator.check(omxml_path_arg(file.path), options, error, &further, max_errors == 0 ? SIZE_MAX : max_errors)) {
        outcome.kind = kValid;
        return outcome;
    }
    outcome.kind = kInvalid;
    outcome.err = omxml_describe_error(file.path, error);
    outcome.detail = outcome.err.substr(outcome.err.find(": ", file.path.size()) + 2);
    for (const omParseError& next : further)
        outcome.err += "\n" + omxml_describe_error(file.path, next);
    return outcome;
}

int run(const Options& o) {
    const auto start = std::chrono::steady_clock::now();
    omLoadOptions options(omValidateOn);
    for (const std::string& schema : o.schemas) {
        const std::size_t eq = schema.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == schema.size()) {
            std::fprintf(stderr, "omxml validate: --schema takes NAMESPACE=PATH, not '%s'\n", schema.c_str());
            return 2;
        }
        if (!omxml_check_readable("validate", schema.substr(eq + 1)))
            return 2;
        options.add_external_schema(syString::from_utf8(schema.substr(0, eq)), omxml_path_arg(schema.substr(eq + 1)));
    }
    if (!o.no_namespace_schema.empty()) {
        if (!omxml_check_readable("validate", o.no_namespace_schema))
            return 2;
        options.set_no_namespace_schema(omxml_path_arg(o.no_namespace_schema));
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

    const std::vector<omxmlInput> files = omxml_expand_paths(o.paths);
    auto job = [&](std::size_t i) {
        const auto begin = std::chrono::steady_clock::now();
        omxmlOutcome outcome = check_document(validator, options, files[i], o.max_errors);
        outcome.seconds = since(begin);
        return outcome;
    };

    std::size_t counts[3] = {0, 0, 0};
    omxmlJunitSuite suite{"omxml validate", {}, "", -1};
    auto report = [&](std::size_t i, const omxmlOutcome& outcome) {
        ++counts[outcome.kind];
        if (!outcome.err.empty())
            std::fprintf(stderr, "%s\n", outcome.err.c_str());
        if (o.junit.empty())
            return;
        omxmlJunitCase test{files[i].path, "omxml.validate", files[i].path, -1, outcome.seconds, "", "", "", ""};
        if (outcome.kind != kValid) {
            test.outcome = outcome.kind == kInvalid ? "failure" : "error";
            test.type = outcome.kind == kInvalid ? "invalid" : "unreadable";
            test.message = outcome.detail;
            test.text = outcome.err;
        }
        suite.cases.push_back(std::move(test));
    };
    omxml_run_parallel(files.size(), o.jobs, job, report, {!o.quiet, o.progress_delay, "omxml validate: "});

    suite.seconds = since(start);
    if (!o.quiet)
        std::printf("%zu valid, %zu invalid, %zu unreadable (%.2f s)\n", counts[kValid], counts[kInvalid],
                    counts[kUnreadable], suite.seconds);
    std::fflush(stdout);
    if (!o.junit.empty() && !omxml_write_junit(*factory, o.junit, "validate", {suite}))
        return 2;
    return counts[kUnreadable] ? 2 : counts[kInvalid] ? 1 : 0;
}

omxmlCommand::Run setup(CLI::App& app) {
    auto o = std::make_shared<Options>();
    app.add_option("PATH", o->paths, "a document, or a directory: its *.xml files at any depth")
        ->type_name("")
        ->required();
    app.add_option("--schema", o->schemas, "the schema for the elements of NAMESPACE; may be repeated")
        ->type_name("NAMESPACE=PATH")
        ->allow_extra_args(false);
    app.add_option("--no-namespace-schema", o->no_namespace_schema, "the schema for the elements without a namespace")
        ->type_name("PATH");
    app.add_option("-j,--jobs", o->jobs, "check N files at a time (default: one per core)")
        ->type_name("N")
        ->check(CLI::Validator(CLI::PositiveNumber).description(""));
    app.add_option("--junit", o->junit, "also write a JUnit report, one test case per document")->type_name("FILE");
    app.add_option("--max-errors", o->max_errors, "report at most N problems of each file (default 20, 0: all)")
        ->type_name("N");
    app.add_flag("--huge", o->huge,
                 "trusted input: lift the limits of 256 nested elements and 10 MB of text (100 000 levels stay)");
    app.add_flag("-q,--quiet", o->quiet, "print the failures only: no summary, no progress line");
    app.add_option("--progress-delay", o->progress_delay, "show progress after SECONDS (default 1), on a terminal only")
        ->type_name("SECONDS")
        ->check(CLI::Validator(CLI::NonNegativeNumber).description(""));
    app.footer("A directory stands for its *.xml files at any depth, in path order; symbolic links are\n"
               "followed only to files inside it. With no schema named, the documents are only checked\n"
               "to be well-formed. Each schema is compiled once, before any document, and shared by all\n"
               "threads; a schema that fails is reported once, as SCHEMA:LINE:COLUMN: message, exit 2.\n"
               "Documents are checked as they are read, without building them, so memory does not grow\n"
               "with their size. Every problem is printed to stderr on one line, FILE:LINE:COLUMN: message,\n"
               "in the order of the files whatever order the threads finish in; a file that cannot be read (a FIFO, "
               "socket or device among them, never "
               "waited on)\n"
               "as FILE: cannot read: reason. Then a summary: N valid, N invalid, N unreadable (T s).\n"
               "\n"
               "Exit status: 0 every document valid, 1 a document invalid or malformed, 2 usage error,\n"
               "a schema that fails or a file that cannot be read.\n"
               "\n"
               "Example:\n"
               "  omxml validate --schema urn:shop=schemas/order.xsd -j 4 --junit report.xml orders/");
    return [o] { return run(*o); };
}

const omxmlCommand command("validate", "check that documents are well-formed and meet their schemas", &setup);

} // namespace
