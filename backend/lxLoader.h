#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <libxml/tree.h>

#include "backend/lxSchemaCache.h"
#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"

// What a parse does beyond what its load options say.
struct lxLoadMode {
    // libxml2's limits of depth and size lifted, for trusted input; a
    // depth guard of our own still ends a document nested too deep.
    bool huge_input = false;
    // false: the document is only checked; each element is freed when it
    // ends, text is never built, and the result holds no element.
    bool keep_tree = true;
    // Failures after the first go to further, when given, up to this many in all.
    std::size_t max_errors = 1;
    std::vector<omParseError>* further = nullptr;
};

// Turns XML text into a libxml2 document under load options: parses with
// internal entities substituted (within the expansion limit), external
// entities only when resolution is enabled and never from the network,
// validates against the schemas the options name, and drops white space that
// only indents element content.
class lxLoader {
public:
    // The document from UTF-8 text in memory, or null with error filled.
    static xmlDocPtr load(const char* data, std::size_t size, const omLoadOptions& options, lxSchemaCache& schemas,
                          omParseError& error, const lxLoadMode& mode = lxLoadMode());
    // The same for the file at path (used unchanged), which becomes the
    // document's URI. The file is read as it is: never decompressed.
    static xmlDocPtr load_file(const std::string& path, const omLoadOptions& options, lxSchemaCache& schemas,
                               omParseError& error, const lxLoadMode& mode = lxLoadMode());
};
