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

#include <unistd.h>

#include "backend/lxDocumentFactory.h"
#include "factory/omDocumentFactory.h"
#include "platform/kuService.h"
#include "platform/kuUnitTest.h"
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

const Suite* find_suite(const char* name) {
    for (const Suite& suite : suites)
        if (std::strcmp(suite.name, name) == 0)
            return &suite;
    return nullptr;
}

// Takes the value of "--name VALUE" or "--name=VALUE"; null when argv[i] is another option.
const char* option_value(int argc, char** argv, int& i, const char* name, bool& missing) {
    const std::size_t n = std::strlen(name);
    if (std::strncmp(argv[i], name, n) != 0)
        return nullptr;
    if (argv[i][n] == '=')
        return argv[i] + n + 1;
    if (argv[i][n] != '\0')
        return nullptr;
    if (i + 1 >= argc) {
        missing = true;
        return nullptr;
    }
    return argv[++i];
}

// 0 when the options are good, 2 (after a message) when not.
int parse(int argc, char** argv, Options& options) {
    std::vector<const Suite*> chosen;
    for (int i = 1; i < argc; ++i) {
        bool missing = false;
        if (const char* name = option_value(argc, argv, i, "--suite", missing)) {
            const Suite* suite = find_suite(name);
            if (!suite) {
                std::fprintf(stderr, "omxml conformance: unknown suite '%s' (known:", name);
                for (const Suite& s : suites)
                    std::fprintf(stderr, " %s", s.name);
                std::fprintf(stderr, ")\n");
                return 2;
            }
            chosen.push_back(suite);
        } else if (const char* dir = option_value(argc, argv, i, "--workdir", missing)) {
            options.workdir = dir;
        } else if (const char* file = option_value(argc, argv, i, "--junit", missing)) {
            options.junit = file;
        } else if (missing) {
            std::fprintf(stderr, "omxml conformance: option '%s' needs a value\n", argv[i]);
            return 2;
        } else if (std::strcmp(argv[i], "--verbose") == 0 || std::strcmp(argv[i], "-v") == 0) {
            options.verbose = true;
        } else {
            std::fprintf(stderr, "omxml conformance: unexpected argument '%s' (see 'omxml conformance --help')\n",
                         argv[i]);
            return 2;
        }
    }
    // The suites run in their own order, each once, whatever order they were named in.
    for (const Suite& suite : suites)
        if (chosen.empty() || std::find(chosen.begin(), chosen.end(), &suite) != chosen.end())
            options.suites.push_back(&suite);
    return 0;
}

// Lays out root as the suites expect: root/data holds the schema, root/run is
// the working directory, and nothing stands at the paths that must not exist.
bool prepare(const fs::path& root, fs::path& run_dir) {
    std::error_code ec;
    const fs::path data = root / "data";
    run_dir = root / "run";
    for (const fs::path& dir : {data, run_dir}) {
        fs::create_directories(dir, ec);
        if (ec) {
            std::fprintf(stderr, "omxml conformance: cannot create directory '%s': %s\n", dir.c_str(),
                         ec.message().c_str());
            return false;
        }
    }
    for (const char* absent : {"not_a_file.xml", "not"}) {
        const fs::path path = data / absent;
        if (fs::exists(fs::symlink_status(path, ec))) {
            std::fprintf(stderr, "omxml conformance: '%s' must not exist: the suites expect nothing there\n",
                         path.c_str());
            return false;
        }
    }
    const fs::path schema = data / schema_name;
    std::FILE* out = std::fopen(schema.c_str(), "wb");
    const std::size_t length = std::strlen(omxml_conformance_schema);
    bool ok = out && std::fwrite(omxml_conformance_schema, 1, length, out) == length;
    if (out && std::fclose(out) != 0)
        ok = false;
    if (!ok)
        std::fprintf(stderr, "omxml conformance: cannot write '%s': %s\n", schema.c_str(), std::strerror(errno));
    return ok;
}

// Writes text escaped for XML character data and attribute values. Control
// characters XML cannot hold and bytes that are not UTF-8 become U+FFFD.
void put_escaped(std::FILE* out, const std::string& text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            switch (c) {
            case '&':
                std::fputs("&amp;", out);
                break;
            case '<':
                std::fputs("&lt;", out);
                break;
            case '>':
                std::fputs("&gt;", out);
                break;
            case '"':
                std::fputs("&quot;", out);
                break;
            case '\'':
                std::fputs("&apos;", out);
                break;
            case '\t':
                std::fputs("&#9;", out);
                break;
            case '\n':
                std::fputs("&#10;", out);
                break;
            case '\r':
                std::fputs("&#13;", out);
                break;
            default:
                if (c < 0x20 || c == 0x7f)
                    std::fputs("\xEF\xBF\xBD", out);
                else
                    std::fputc(c, out);
            }
            ++i;
            continue;
        }
        std::size_t len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        bool valid = len != 0 && i + len <= n;
        unsigned code = valid ? (c & (0x7F >> len)) : 0;
        for (std::size_t k = 1; valid && k < len; ++k) {
            valid = (s[i + k] & 0xC0) == 0x80;
            code = (code << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, surrogates, the two non-characters XML excludes and values past U+10FFFF.
        if (valid && ((len == 3 && code < 0x800) || (len == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
                      (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF))
            valid = false;
        if (valid) {
            std::fwrite(s + i, 1, len, out);
            i += len;
        } else {
            std::fputs("\xEF\xBF\xBD", out);
            ++i;
        }
    }
}

bool write_junit(const std::string& file, const std::vector<SuiteResult>& results) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "omxml conformance: cannot write '%s': %s\n", file.c_str(), std::strerror(errno));
        return false;
    }
    std::size_t tests = 0;
    int failures = 0;
    for (const SuiteResult& r : results) {
        tests += r.reports.size();
        failures += r.failures;
    }
    std::fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    std::fprintf(out, "<testsuites name=\"omxml conformance\" tests=\"%zu\" failures=\"%d\" errors=\"0\">\n", tests,
                 failures);
    for (const SuiteResult& r : results) {
        std::fprintf(out, "  <testsuite name=\"%s\" tests=\"%zu\" failures=\"%d\" errors=\"0\" skipped=\"0\">\n",
                     r.name, r.reports.size(), r.failures);
        for (const Report& report : r.reports) {
            std::fputs("    <testcase classname=\"", out);
            std::fputs(r.name, out);
            std::fputs("\" name=\"", out);
            put_escaped(out, report.function + ": " + report.description);
            std::fputs("\" file=\"", out);
            put_escaped(out, report.source_path);
            std::fprintf(out, "\" line=\"%d\"", report.line);
            if (report.pass) {
                std::fputs("/>\n", out);
                continue;
            }
            std::fputs(">\n      <failure type=\"check\" message=\"", out);
            put_escaped(out, report.description);
            std::fputs("\">", out);
            put_escaped(out, report.source_path + ":" + std::to_string(report.line) + ": " + report.expression);
            std::fputs("</failure>\n    </testcase>\n", out);
        }
        if (!r.diagnostics.empty()) {
            std::fputs("    <system-out>", out);
            for (const std::string& line : r.diagnostics) {
                put_escaped(out, line);
                std::fputs("\n", out);
            }
            std::fputs("</system-out>\n", out);
        }
        std::fputs("  </testsuite>\n", out);
    }
    std::fputs("</testsuites>\n", out);
    const bool ok = !std::ferror(out);
    if (std::fclose(out) != 0 || !ok) {
        std::fprintf(stderr, "omxml conformance: cannot write '%s'\n", file.c_str());
        return false;
    }
    return true;
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

int run(int argc, char** argv) {
    Options options;
    if (int status = parse(argc, argv, options))
        return status;

    std::error_code ec;
    const fs::path start_dir = fs::current_path(ec);
    if (ec) {
        std::fprintf(stderr, "omxml conformance: cannot read the current directory: %s\n", ec.message().c_str());
        return 2;
    }
    const std::string junit = options.junit.empty() ? std::string() : (start_dir / options.junit).string();

    fs::path root;
    const bool temporary = options.workdir.empty();
    if (temporary) {
        std::string pattern = (fs::temp_directory_path(ec) / "omxml-conformance-XXXXXX").string();
        if (ec || !::mkdtemp(&pattern[0])) {
            std::fprintf(stderr, "omxml conformance: cannot create a directory under the temporary directory\n");
            return 2;
        }
        root = pattern;
    } else {
        root = start_dir / options.workdir;
    }

    int status = 2;
    fs::path run_dir;
    if (prepare(root, run_dir)) {
        fs::current_path(run_dir, ec);
        if (ec) {
            std::fprintf(stderr, "omxml conformance: cannot enter '%s': %s\n", run_dir.c_str(), ec.message().c_str());
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
                if (!junit.empty() && !write_junit(junit, results))
                    status = 2;
            }
        }
    }
    fs::current_path(start_dir, ec);
    if (temporary)
        fs::remove_all(root, ec);
    return status;
}

void help(std::FILE* out) {
    std::fprintf(out, "usage: omxml conformance [--suite NAME]... [--workdir DIR] [--verbose] [--junit FILE]\n\n");
    std::fprintf(out, "Runs the conformance suites against the libxml2 document back-end, located as\n");
    std::fprintf(out, "\"XMLService\", and prints per suite the number of checks and of failures, every\n");
    std::fprintf(out, "failed check (source path, line, function, description and expression), and\n");
    std::fprintf(out, "finally \"N passed, N failed\".\n\n");
    std::fprintf(out, "options:\n");
    std::fprintf(out, "  --suite NAME   run only this suite; may be given more than once (default: all)\n");
    std::fprintf(out, "  --workdir DIR  lay out and keep the suites' files in DIR: DIR/data holds the\n");
    std::fprintf(out, "                 schema and the suites run in DIR/run (default: a fresh directory\n");
    std::fprintf(out, "                 under the system's temporary directory, removed afterwards)\n");
    std::fprintf(out, "  --verbose, -v  also print the suites' diagnostic lines\n");
    std::fprintf(out, "  --junit FILE   also write the checks as a JUnit XML file, one test case per check\n");
    std::fprintf(out, "  --help, -h     show this text\n\n");
    std::fprintf(out, "suites:");
    for (const Suite& suite : suites)
        std::fprintf(out, " %s", suite.name);
    std::fprintf(out, "\n\nexit status: 0 every check passed, 1 a check failed, 2 usage or I/O error\n");
}

const omxmlCommand conformance_command("conformance", "run the conformance suites against the libxml2 back-end", run,
                                       help);

} // namespace
