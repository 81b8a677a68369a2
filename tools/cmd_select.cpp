// omxml select: prints what an XPath expression selects in files and trees of files.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "backend/lxXPathQuery.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "tools/omxmlCommand.h"
#include "tools/omxmlDocumentTool.h"
#include "tools/omxmlFileSet.h"

namespace {

enum Kind { kMatched, kNone, kFailed };

struct Options {
    std::string xpath;
    std::vector<std::string> namespaces;
    std::vector<std::string> paths;
    unsigned jobs = omxml_default_threads();
    omxmlFilter filter;
};

// A number as XPath tools print one: NaN, Infinity, -Infinity or %g.
std::string number_text(double number) {
    if (std::isnan(number))
        return "NaN";
    if (std::isinf(number))
        return number > 0 ? "Infinity" : "-Infinity";
    char text[32];
    std::snprintf(text, sizeof text, "%g", number);
    return text;
}

// What the expression gave in one document: one line per node, or the scalar.
void print_result(const lxXPathQuery::Result& result, const std::string& prefix, omxmlOutcome& outcome) {
    outcome.kind = kMatched;
    switch (result.type) {
    case lxXPathQuery::Result::kNodes:
        outcome.kind = kNone;
        for (int m = 0; m < result.nodes->length(); ++m) {
            std::shared_ptr<omElement> node = result.nodes->at(m);
            if (!node)
                continue;
            outcome.kind = kMatched;
            outcome.out += prefix + node->get_xml().to_utf8() + "\n";
        }
        break;
    case lxXPathQuery::Result::kBoolean:
        outcome.out = prefix + (result.boolean ? "true" : "false") + "\n";
        break;
    case lxXPathQuery::Result::kNumber:
        outcome.out = prefix + number_text(result.number) + "\n";
        break;
    case lxXPathQuery::Result::kString:
        outcome.out = prefix + result.string + "\n";
        break;
    case lxXPathQuery::Result::kError:
        break;
    }
}

int run(const Options& o) {
    lxXPathQuery::Bindings bindings;
    for (const std::string& binding : o.namespaces) {
        const std::size_t eq = binding.find('=');
        if (binding.substr(0, eq).find(':') != std::string::npos) {
            std::fprintf(stderr, "omxml select: --ns: a prefix has no ':', not '%s'\n", binding.substr(0, eq).c_str());
            return 2;
        }
        bindings.emplace_back(binding.substr(0, eq), binding.substr(eq + 1));
    }
    const lxXPathQuery query(o.xpath, bindings);
    if (!query.error().empty()) {
        std::string where = query.error_position() ? " at character " + std::to_string(query.error_position()) : "";
        std::fprintf(stderr, "omxml select: invalid XPath expression '%s': %s%s\n", o.xpath.c_str(),
                     query.error().c_str(), where.c_str());
        return 2;
    }
    std::shared_ptr<omDocumentFactory> factory = omxml_locate_factory("select");
    if (!factory)
        return 2;
    const omxmlFileSet set = omxml_expand_paths(o.paths, o.filter);
    const std::vector<omxmlInput>& files = set.files;
    if (!omxml_something_to_do("select", files, o.paths, o.filter))
        return 2;
    const bool prefixed = set.directory_named || o.paths.size() > 1;
    std::string stdin_bytes, stdin_problem;
    for (const omxmlInput& file : files)
        if (omxml_is_stdin(file.path)) {
            omxml_read_stdin(stdin_bytes, stdin_problem);
            break;
        }

    auto job = [&](std::size_t i) {
        omxmlOutcome outcome;
        outcome.kind = kFailed;
        const omxmlInput& file = files[i];
        if (!file.skipped.empty()) {
            outcome.kind = kNone;
            outcome.err = file.path + ": skipped: " + file.skipped;
            return outcome;
        }
        std::string reason = file.problem;
        if (reason.empty())
            reason = omxml_is_stdin(file.path) ? stdin_problem : omxml_unreadable_reason(file.path);
        if (!reason.empty()) {
            outcome.err = omxml_cannot_read(file.path, reason);
            return outcome;
        }
        omParseError error;
        std::shared_ptr<omDocument> document = omxml_load(*factory, file.path, stdin_bytes, omLoadOptions(), error);
        std::shared_ptr<omElement> root = document && error.invalid() ? document->getDocumentElement() : nullptr;
        if (!root) {
            outcome.err = omxml_describe_error(file.path, error);
            return outcome;
        }
        const lxXPathQuery::Result result = query.evaluate(root);
        if (result.type == lxXPathQuery::Result::kError)
            outcome.err = file.path + ": cannot evaluate '" + o.xpath + "': " + result.error;
        else
            print_result(result, prefixed ? file.path + ":" : "", outcome);
        return outcome;
    };
    bool matched = false, failed = false;
    auto report = [&](std::size_t, const omxmlOutcome& outcome) {
        std::fputs(outcome.out.c_str(), stdout);
        if (!outcome.err.empty()) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n", outcome.err.c_str());
        }
        matched = matched || outcome.kind == kMatched;
        failed = failed || outcome.kind == kFailed;
    };
    omxml_run_parallel(files.size(), o.jobs, job, report, omxmlProgress());
    return failed ? 2 : matched ? 0 : 1;
}

omxmlCommand::Run setup(CLI::App& app) {
    auto o = std::make_shared<Options>();
    app.add_option("XPATH", o->xpath, "evaluated from the root element; // searches the whole document")
        ->type_name("")
        ->required();
    app.add_option("PATH", o->paths, "a document, - for standard input, or a directory: its *.xml files at any depth")
        ->type_name("")
        ->required();
    app.add_option("--ns", o->namespaces, "let PREFIX in XPATH stand for the namespace URI; may be repeated")
        ->type_name("PREFIX=URI")
        ->allow_extra_args(false)
        ->check(omxml_pair("PREFIX=URI"));
    omxml_add_filter_options(app, o->filter);
    app.add_option("-j,--jobs", o->jobs, "load N files at a time (default: one per core)")
        ->type_name("N")
        ->check(omxml_whole_number(1));
    app.footer("Prints the XML of every node that XPATH selects, one per line, in document order; a\n"
               "number, string or truth value (count(//item), string(@id), //a = 1) is printed as it is:\n"
               "3, NaN, Infinity, true, false. A prefix in XPATH means only what --ns binds it to.\n"
               "\n"
               "When a directory or more than one PATH is named, each line is prefixed with FILE: as\n"
               "grep does; a directory is walked as 'omxml validate' walks it (--include, --exclude).\n"
               "A document that is not well-formed is reported on stderr (FILE:LINE:COLUMN: message)\n"
               "and the others are searched. Version 0.2 put the expression first, as grep does; 0.1\n"
               "took FILE XPATH.\n"
               "\n"
               "Exit status: 0 something matched, 1 nothing matched anywhere, 2 usage error, an\n"
               "expression that cannot be used (a syntax error, an unbound prefix, an unknown function),\n"
               "or a file that cannot be read or searched, even when others matched.\n"
               "\n"
               "Examples:\n"
               "  omxml select '/fontconfig/dir' /etc/fonts/fonts.conf\n"
               "  omxml select 'count(//iso_3166_entry)' /usr/share/xml/iso-codes/iso_3166-1.xml\n"
               "  omxml select --ns m=http://www.freedesktop.org/standards/shared-mime-info "
               "'//m:mime-type[@type=\"application/xml\"]/m:glob/@pattern' "
               "/usr/share/mime/packages/freedesktop.org.xml");
    return [o] { return run(*o); };
}

const omxmlCommand command("select", "print what an XPath expression selects: nodes, a number, a string", &setup);

} // namespace
