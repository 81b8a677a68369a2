// omxml conformance: runs the conformance suites against the libxml2 back-end.
#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "backend/lxDocumentFactory.h"
#include "factory/omDocumentFactory.h"
#include "platform/kuService.h"
#include "platform/kuUnitTest.h"
#include "platform/syFileSystem.h"
#include "suites/omCommentNodeUtest.h"
#include "suites/omDocumentFactoryUtest.h"
#include "suites/omDocumentUtest.h"
#include "suites/omElementUtest.h"
#include "suites/omNamedNodeMapUtest.h"
#include "suites/omNodeListUtest.h"
#include "suites/omNodeUtest.h"
#include "suites/omTextNodeUtest.h"
#include "suites/omValidationUtest.h"
#include "tools/omxmlCommand.h"
#include "tools/omxmlDocumentTool.h"
#include "tools/omxmlJunit.h"

// Text of data/in_memory_test_schema.xsd, embedded at build time.
extern const char omxml_conformance_schema[];

namespace {

namespace fs = std::filesystem;

const char* const schema_name = "in_memory_test_schema.xsd";

using SuiteRun = void (*)(kuUnitTest* tester, const std::shared_ptr<omDocumentFactory>& factory);

struct Suite {
    const char* name;
    SuiteRun run;
};

const Suite suites[] = {
    {"omDocumentFactoryUtest",
     [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omDocumentFactoryUtest(t).run_tests(f); }},
    {"omNodeUtest", [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omNodeUtest(t).run_tests(*f); }},
    {"omNodeListUtest",
     [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omNodeListUtest(t).run_tests(*f); }},
    {"omNamedNodeMapUtest",
     [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omNamedNodeMapUtest(t).run_tests(*f); }},
    {"omElementUtest",
     [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omElementUtest(t).run_tests(*f); }},
    {"omDocumentUtest",
     [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omDocumentUtest(t).run_tests(*f); }},
    {"omTextNodeUtest",
     [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omTextNodeUtest(t).run_tests(*f); }},
    {"omCommentNodeUtest",
     [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omCommentNodeUtest(t).run_tests(*f); }},
    {"omValidationUtest",
     [](kuUnitTest* t, const std::shared_ptr<omDocumentFactory>& f) { omValidationUtest(t).run_tests(*f); }},
};

struct Report {
    bool pass;
    std::string expression;
    std::string source_path;
    int line;
    std::string description;
    std::string function;
};

struct SuiteResult {
    const char* name;
    std::vector<Report> reports;
    std::vector<std::string> diagnostics;
    int failures = 0;
};

// Records every report and diagnostic line of the suite being run.
class ConformanceTester : public kuUnitTest {
public:
    void begin(SuiteResult* result) { m_result = result; }

    void utest_handler(int pass, const char* expression, const char* source_path, int line, const char* description,
                       const char* function) override {
        if (pass)
            ++m_passed;
        else
            ++m_failed;
        if (!m_result)
            return;
        m_result->reports.push_back(
            {pass != 0, text(expression), text(source_path), line, text(description), text(function)});
        if (!pass)
            ++m_result->failures;
    }

    void printf(const char* format, ...) override {
        va_list args;
        va_start(args, format);
        std::string line = format_va(format, args);
        va_end(args);
        if (m_result)
            m_result->diagnostics.push_back(line);
    }

private:
    static std::string text(const char* s) { return s ? s : ""; }

    SuiteResult* m_result = nullptr;
};

struct Options {
    std::vector<const Suite*> suites;
    std::string workdir;
    std::string junit;
    bool verbose = false;
};

// Lays out root as the suites expect: root/data holds the schema, root/run is
// the working directory, and nothing stands at the paths that must not exist.
bool prepare(const fs::path& root, fs::path& run_dir) {
    std::error_code ec;
    const fs::path data = root / "data";
    run_dir = root / "run";
    for (const fs::path& dir : {data, run_dir}) {
        fs::create_directories(dir, ec);
        if (ec) {
            std::fprintf(stderr, "omxml conformance: cannot create directory '%s': %s\n", dir.u8string().c_str(),
                         ec.message().c_str());
            return false;
        }
    }
    for (const char* absent : {"not_a_file.xml", "not"}) {
        const fs::path path = data / absent;
        if (fs::exists(fs::symlink_status(path, ec))) {
            std::fprintf(stderr, "omxml conformance: '%s' must not exist: the suites expect nothing there\n",
                         path.u8string().c_str());
            return false;
        }
    }
    const fs::path schema = data / schema_name;
    std::FILE* out = syFileSystem::open_stream(schema.u8string(), "wb");
    const std::size_t length = std::strlen(omxml_conformance_schema);
    bool ok = out && std::fwrite(omxml_conformance_schema, 1, length, out) == length;
    if (out && std::fclose(out) != 0)
        ok = false;
    if (!ok)
        std::fprintf(stderr, "omxml conformance: cannot write '%s': %s\n", schema.u8string().c_str(),
                     std::strerror(errno));
    return ok;
}

// The repository file behind a report's source path: the suites report
// "source/utest/<class>" and the harness its own class name, neither a file here.
std::string source_file(const std::string& source_path) {
    const std::string suite = "source/utest/";
    if (source_path.compare(0, suite.size(), suite) == 0)
        return "suites/" + source_path.substr(suite.size()) + ".cpp";
    if (source_path.find('/') == std::string::npos)
        return "platform/" + source_path + ".cpp";
    return source_path;
}

bool write_junit(omDocumentFactory& factory, const std::string& file, const std::vector<SuiteResult>& results) {
    std::vector<omxmlJunitSuite> suites;
    for (const SuiteResult& r : results) {
        omxmlJunitSuite suite{r.name, {}, "", -1};
        for (const Report& report : r.reports) {
            omxmlJunitCase test{report.function + ": " + report.description,
                                r.name,
                                source_file(report.source_path),
                                report.line,
                                -1,
                                "",
                                "",
                                "",
                                ""};
            if (!report.pass) {
                test.outcome = "failure";
                test.type = "check";
                test.message = report.description;
                test.text = report.source_path + ":" + std::to_string(report.line) + ": " + report.expression;
            }
            suite.cases.push_back(std::move(test));
        }
        for (const std::string& line : r.diagnostics)
            suite.system_out += line + "\n";
        suites.push_back(std::move(suite));
    }
    return omxml_write_junit(factory, file, "conformance", suites);
}

void print_results(const std::vector<SuiteResult>& results, bool verbose) {
    for (const SuiteResult& r : results) {
        std::printf("%s: %zu checks, %d failed\n", r.name, r.reports.size(), r.failures);
        for (const Report& report : r.reports)
            if (!report.pass)
                std::printf("  FAILED %s:%d %s: %s [%s]\n", report.source_path.c_str(), report.line,
                            report.function.c_str(), report.description.c_str(), report.expression.c_str());
        if (!verbose)
            continue;
        for (const std::string& diagnostic : r.diagnostics) {
            std::size_t start = 0;
            do {
                std::size_t end = diagnostic.find('\n', start);
                std::printf("  | %s\n", diagnostic.substr(start, end - start).c_str());
                start = end == std::string::npos ? end : end + 1;
            } while (start != std::string::npos && start < diagnostic.size());
        }
    }
}

int run(const Options& options) {

    std::error_code ec;
    const fs::path start_dir = fs::current_path(ec);
    if (ec) {
        std::fprintf(stderr, "omxml conformance: cannot read the current directory: %s\n", ec.message().c_str());
        return 2;
    }
    const std::string junit =
        options.junit.empty() ? std::string() : (start_dir / fs::u8path(options.junit)).u8string();
    const std::string unwritable = junit.empty() ? "" : omxml_unwritable_reason(junit);
    if (!unwritable.empty()) {
        std::fprintf(stderr, "omxml conformance: cannot write %s: %s\n", options.junit.c_str(), unwritable.c_str());
        return 2;
    }

    fs::path root;
    const bool temporary = options.workdir.empty();
    if (temporary) {
        const std::string made =
            syFileSystem::make_temp_dir(fs::temp_directory_path(ec).u8string(), "omxml-conformance-");
        if (ec || made.empty()) {
            std::fprintf(stderr, "omxml conformance: cannot create a directory under the temporary directory\n");
            return 2;
        }
        root = fs::u8path(made);
    } else {
        root = start_dir / fs::u8path(options.workdir);
    }

    int status = 2;
    fs::path run_dir;
    if (prepare(root, run_dir)) {
        fs::current_path(run_dir, ec);
        if (ec) {
            std::fprintf(stderr, "omxml conformance: cannot enter '%s': %s\n", run_dir.u8string().c_str(),
                         ec.message().c_str());
        } else {
            lx_register_xml_service();
            kuServiceName name(kuString("XMLService"));
            kuServiceName working;
            std::shared_ptr<omDocumentFactory> factory =
                kuService::get_instance()->locate_service<omDocumentFactory>(name, working);
            if (!factory) {
                std::fprintf(stderr, "omxml conformance: no document factory is registered as \"XMLService\"\n");
            } else {
                std::vector<SuiteResult> results;
                results.reserve(options.suites.size());
                ConformanceTester tester;
                kuUnitTest* previous = kuUnitTest::set_tester(&tester);
                for (const Suite* suite : options.suites) {
                    results.push_back(SuiteResult{suite->name, {}, {}, 0});
                    tester.begin(&results.back());
                    suite->run(&tester, factory);
                    tester.begin(nullptr);
                    kuUnitTest::release_varargs();
                }
                kuUnitTest::set_tester(previous);
                fs::current_path(start_dir, ec);

                print_results(results, options.verbose);
                std::printf("%d passed, %d failed\n", tester.passed(), tester.failed());
                std::fflush(stdout);
                status = tester.failed() ? 1 : 0;
                if (!junit.empty() && !write_junit(*factory, junit, results))
                    status = 2;
            }
        }
    }
    fs::current_path(start_dir, ec);
    if (temporary)
        fs::remove_all(root, ec);
    return status;
}

omxmlCommand::Run setup(CLI::App& app) {
    auto options = std::make_shared<Options>();
    auto names = std::make_shared<std::vector<std::string>>();
    std::vector<std::string> known;
    for (const Suite& suite : suites)
        known.push_back(suite.name);
    app.add_option("--suite", *names, "run only this suite; may be repeated (default: all)")
        ->type_name("NAME")
        ->allow_extra_args(false)
        ->check(CLI::Validator(
            [known](std::string& name) {
                if (std::find(known.begin(), known.end(), name) != known.end())
                    return std::string();
                std::string list;
                for (const std::string& suite : known)
                    list += " " + suite;
                return "no suite is named '" + name + "'; the suites are" + list;
            },
            ""));
    app.add_option("--workdir", options->workdir,
                   "lay out and keep the suites' files in DIR: DIR/data holds the schema and the suites run in "
                   "DIR/run (default: a fresh directory under the system's temporary directory, removed "
                   "afterwards)")
        ->type_name("DIR");
    app.add_flag("-v,--verbose", options->verbose, "also print the suites' diagnostic lines");
    app.add_option("--junit", options->junit, "also write the checks as a JUnit XML file, one test case per check")
        ->type_name("FILE");
    std::string footer = "Runs the conformance suites against the libxml2 document back-end, located as\n"
                         "\"XMLService\", and prints per suite the number of checks and of failures, every\n"
                         "failed check (source path, line, function, description and expression), and\n"
                         "finally \"N passed, N failed\"."
                         "\n\nSuites:";
    for (const Suite& suite : suites)
        footer += std::string(" ") + suite.name;
    app.footer(footer + "\n\nExit status: 0 every check passed, 1 a check failed, 2 usage or I/O error.\n\n"
                        "Example:\n  omxml conformance --suite omNodeUtest --junit conformance.xml");
    return [options, names] {
        // The suites run in their own order, each once, whatever order they were named in.
        for (const Suite& suite : suites)
            if (names->empty() || std::find(names->begin(), names->end(), suite.name) != names->end())
                options->suites.push_back(&suite);
        return run(*options);
    };
}

const omxmlCommand conformance_command("conformance", "run the conformance suites against the libxml2 back-end",
                                       &setup);

} // namespace
