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
    // The document, or null with error filled. url names the text (a file
    // name, or empty for memory) and becomes the document's URI.
    static xmlDocPtr load(const char* data, std::size_t size, const std::string& url, const omLoadOptions& options,
                          lxSchemaCache& schemas, omParseError& error);
};
