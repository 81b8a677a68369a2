#pragma once

#include "omxmlExport.h"

#include <string>
#include <vector>

// Process control of the platform: what the library needs is the process id.
class OMXML_PLATFORM_API syProcessControl {
public:
    int getpid() const;

    // The program's arguments after its name, in UTF-8: on Windows taken from
    // the wide command line (argv holds them in the ANSI code page there).
    static std::vector<std::string> arguments(int argc, char** argv);
    // Makes standard output and error write bytes as given: no CRLF in
    // place of LF on Windows, so UTF-8 text reaches files and pipes unchanged.
    static void binary_output();
};
