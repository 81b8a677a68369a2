#pragma once

#include <libxml/tree.h>

#include "platform/syByteArray.h"
#include "platform/syString.h"

// Writes nodes and documents as XML text in UTF-8, through libxml2's
// serializer.
class lxSerializer {
public:
    // Markup of a node that loads back on its own: namespace declarations it
    // inherits from its ancestors are written on it.
    static syString node_xml(xmlNodePtr node);
    // The whole document, with an XML declaration.
    static syString document_xml(xmlDocPtr doc);
    // Replaces the content of output with the document; false when it has no
    // document element.
    static bool save(xmlDocPtr doc, syByteArray& output);
    // Replaces the file at path (UTF-8, used unchanged) with the document.
    static bool save(xmlDocPtr doc, const std::string& path);

    // Called by the loader for each element that declares namespaces: notes
    // on the document when a namespace name needs escaping to be written.
    static void note_namespaces(xmlDocPtr doc, const xmlNode* element);
};
