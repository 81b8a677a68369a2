// omxml select: prints the nodes that an XPath expression selects in files and trees of files.
#include <cstdio>
#include <string>
#include <vector>

#include <libxml/xmlerror.h>
#include <libxml/xpath.h>

#include "backend/lxCompat.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "tools/omxmlCommand.h"
#include "tools/omxmlDocumentTool.h"
#include "tools/omxmlFileSet.h"

namespace {

enum Kind { kMatched, kNone, kUnreadable };

struct Options {
    std::string xpath;
    std::vector<std::string> paths;
    unsigned jobs = omxml_default_threads();
};

void keep_error(void* context, lxCompat::Error error) {
    auto* text = static_cast<std::string*>(context);
    if (!text->empty() || !error || !error->message)
        return;
    *text = error->message;
    while (!text->empty() && (text->back() == '\n' || text->back() == ' '))
        text->pop_back();
    // libxml2 tells where it stopped as an offset into the expression.
    if (error->str1 && error->int1 >= 0)
        *text += " at character " + std::to_string(error->int1 + 1);
}

// Why libxml2 cannot compile the expression, or an empty text when it can.
// Called before any thread starts: the error handler is the thread's.
std::string compile_error(const std::string& xpath) {
    std::string error;
    xmlSetStructuredErrorFunc(&error, &keep_error);
    xmlXPathCompExprPtr compiled = xmlXPathCompile(reinterpret_cast<const xmlChar*>(xpath.c_str()));
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (compiled)
        xmlXPathFreeCompExpr(compiled);
    else if (error.empty())
        error = "libxml2 cannot compile it";
    return compiled ? "" : error;
}

int run(const Options& o) {
    const std::string invalid = compile_error(o.xpath);
    if (!invalid.empty()) {
        std::fprintf(stderr, "omxml select: invalid XPath expression '%s': %s\n", o.xpath.c_str(), invalid.c_str());
        return 2;
    }
    std::shared_ptr<omDocumentFactory> factory = omxml_locate_factory("select");
    if (!factory)
        return 2;
    const std::vector<omxmlInput> files = omxml_expand_paths(o.paths);
    const bool prefix = files.size() > 1;
    const syString xpath = syString::from_utf8(o.xpath);
    auto job = [&](std::size_t i) {
        omxmlOutcome outcome;
        const omxmlInput& file = files[i];
        const std::string reason = file.problem.empty() ? omxml_unreadable_reason(file.path) : file.problem;
        if (!reason.empty()) {
            outcome.kind = kUnreadable;
            outcome.err = "omxml select: cannot read " + file.path + ": " + reason;
            return outcome;
        }
        omParseError error;
        std::shared_ptr<omDocument> document = factory->loadDocument(omxml_path_arg(file.path), omLoadOptions(), error);
        std::shared_ptr<omElement> root = document && error.invalid() ? document->getDocumentElement() : nullptr;
        outcome.kind = kNone;
        if (!root) {
            outcome.err = omxml_describe_error(file.path, error);
            return outcome;
        }
        std::shared_ptr<omNodeList> matches = root->selectNodes(xpath);
        const int count = matches ? matches->length() : 0;
        for (int m = 0; m < count; ++m) {
            std::shared_ptr<omElement> node = matches->at(m);
            if (!node)
                continue;
            outcome.kind = kMatched;
            if (prefix)
                outcome.out += file.path + ":";
            outcome.out += node->get_xml().to_utf8() + "\n";
        }
        return outcome;
    };
    bool matched = false, unreadable = false;
    auto report = [&](std::size_t, const omxmlOutcome& outcome) {
        std::fputs(outcome.out.c_str(), stdout);
        if (!outcome.err.empty()) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n", outcome.err.c_str());
        }
        matched = matched || outcome.kind == kMatched;
        unreadable = unreadable || outcome.kind == kUnreadable;
    };
    omxml_run_parallel(files.size(), o.jobs, job, report, omxmlProgress());
    return unreadable ? 2 : matched ? 0 : 1;
}

omxmlCommand::Run setup(CLI::App& app) {
    auto o = std::make_shared<Options>();
    app.add_option("XPATH", o->xpath, "evaluated from the root element; // searches the whole document")
        ->type_name("")
        ->required();
    app.add_option("PATH", o->paths, "a document, or a directory: its *.xml files at any depth")
        ->type_name("")
        ->required();
    app.add_option("-j,--jobs", o->jobs, "load N files at a time (default: one per core)")
        ->type_name("N")
        ->check(CLI::Validator(CLI::PositiveNumber).description(""));
    app.footer("Prints the XML of every node that XPATH selects, one per line, in document order.\n"
               "\n"
               "With more than one file, each match is prefixed with FILE: as grep does. A document that\n"
               "is not well-formed is reported on stderr (FILE:LINE:COLUMN: message) and the others\n"
               "are searched. Version 0.2 put the expression first, as grep does; 0.1 took FILE XPATH.\n"
               "\n"
               "Exit status: 0 something matched, 1 nothing matched anywhere, 2 usage error, an\n"
               "expression that does not compile, or a file that cannot be read.\n"
               "\n"
               "Examples:\n"
               "  omxml select '//item[@id=\"42\"]/title' catalog.xml\n"
               "  omxml select 'database/@host' app.xml\n"
               "  omxml select '//dir' /etc/fonts");
    return [o] { return run(*o); };
}

const omxmlCommand command("select", "print the nodes that an XPath expression selects", &setup);

} // namespace
