#include "tools/omxmlJunit.h"

#include <cstdio>

#include "dom/omCharacterData.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "tools/omxmlDocumentTool.h"

namespace {

// XML cannot hold the C0 controls other than tab, line feed and carriage return.
syString xml_text(const std::string& text) {
    std::string clean = text;
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
            c = '?';
    return syString::from_utf8(clean);
}

void set(const std::shared_ptr<omElement>& element, const char* name, const std::string& value) {
    element->setAttribute(syString::from_utf8(name), xml_text(value));
}

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::shared_ptr<omElement> add(omDocument& doc, const std::shared_ptr<omElement>& parent, const char* name) {
    std::shared_ptr<omElement> element = doc.createElement(syString::from_utf8(name));
    parent->appendChild(element);
    return element;
}

} // namespace

bool omxml_write_junit(omDocumentFactory& factory, const std::string& path, const char* command,
                       const std::vector<omxmlJunitSuite>& suites) {
    std::shared_ptr<omDocument> doc = factory.createDocument(SYSTRING("testsuites"));
    std::shared_ptr<omElement> root = doc ? doc->getDocumentElement() : nullptr;
    if (!root) {
        std::fprintf(stderr, "omxml %s: cannot write %s\n", command, path.c_str());
        return false;
    }
    std::size_t tests = 0, failures = 0, errors = 0;
    for (const omxmlJunitSuite& suite : suites) {
        std::shared_ptr<omElement> element = add(*doc, root, "testsuite");
        std::size_t suite_failures = 0, suite_errors = 0, suite_skipped = 0;
        for (const omxmlJunitCase& c : suite.cases) {
            std::shared_ptr<omElement> test = add(*doc, element, "testcase");
            set(test, "classname", c.classname);
            set(test, "name", c.name);
            if (!c.file.empty())
                set(test, "file", c.file);
            if (c.line >= 0)
                set(test, "line", std::to_string(c.line));
            if (c.seconds >= 0)
                set(test, "time", seconds_text(c.seconds));
            if (c.outcome.empty())
                continue;
            (c.outcome == "error" ? suite_errors : c.outcome == "skipped" ? suite_skipped : suite_failures)++;
            std::shared_ptr<omElement> outcome = add(*doc, test, c.outcome.c_str());
            set(outcome, "type", c.type);
            set(outcome, "message", c.message);
            outcome->appendChild(doc->createTextNode(xml_text(c.text)));
        }
        set(element, "name", suite.name);
        set(element, "tests", std::to_string(suite.cases.size()));
        set(element, "failures", std::to_string(suite_failures));
        set(element, "errors", std::to_string(suite_errors));
        set(element, "skipped", std::to_string(suite_skipped));
        if (suite.seconds >= 0)
            set(element, "time", seconds_text(suite.seconds));
        if (!suite.system_out.empty())
            add(*doc, element, "system-out")->appendChild(doc->createTextNode(xml_text(suite.system_out)));
        tests += suite.cases.size();
        failures += suite_failures;
        errors += suite_errors;
    }
    set(root, "name", std::string("omxml ") + command);
    set(root, "tests", std::to_string(tests));
    set(root, "failures", std::to_string(failures));
    set(root, "errors", std::to_string(errors));
    if (!factory.saveDocument(doc, omxml_path_arg(path))) {
        const std::string reason = omxml_unwritable_reason(path);
        std::fprintf(stderr, "omxml %s: cannot write %s: %s\n", command, path.c_str(),
                     reason.empty() ? "the back-end could not save it" : reason.c_str());
        return false;
    }
    return true;
}
