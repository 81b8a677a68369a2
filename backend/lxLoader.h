#pragma once

#include <cstddef>
#include <string>

#include <libxml/tree.h>

#include "backend/lxSchemaCache.h"
#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"

// Turns XML text into a libxml2 document under load options: parses with
// internal entities substituted (within the expansion limit), external
// entities only when resolution is enabled and never from the network,
// validates against the schemas the options name, and drops white space that
// only indents element content.
class lxLoader {
public:
    // The document from UTF-8 text in memory, or null with error filled.
    static xmlDocPtr load(const char* data, std::size_t size, const omLoadOptions& options, lxSchemaCache& schemas,
                          omParseError& error);
    // The same for the file at path (used unchanged), which becomes the
    // document's URI. The file is read as it is: never decompressed.
    static xmlDocPtr load_file(const std::string& path, const omLoadOptions& options, lxSchemaCache& schemas,
                               omParseError& error);
};
