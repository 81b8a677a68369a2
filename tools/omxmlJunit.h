#pragma once

#include <string>
#include <vector>

#include "factory/omDocumentFactory.h"

// A JUnit XML report, built as a document of the document back-end and saved
// through it, so its escaping is the back-end's.
struct omxmlJunitCase {
    std::string name;
    std::string classname;
    std::string file;
    int line = -1;       // left out when negative
    double seconds = -1; // left out when negative
    std::string outcome; // "" passed, "failure", "error" or "skipped"
    std::string type;    // of the failure or error
    std::string message; // its one-line message
    std::string text;    // its full text
};

struct omxmlJunitSuite {
    std::string name;
    std::vector<omxmlJunitCase> cases;
    std::string system_out; // left out when empty
    double seconds = -1;
};

// Writes the suites under <testsuites name="name"> to path; false, after a
// message "omxml <command>: cannot write PATH" on stderr, when it cannot.
bool omxml_write_junit(omDocumentFactory& factory, const std::string& path, const char* command,
                       const std::vector<omxmlJunitSuite>& suites);
