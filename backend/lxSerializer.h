#pragma once

#include <libxml/tree.h>

#include "platform/syByteArray.h"
#include "platform/syString.h"

// Writes nodes and documents as XML text in UTF-8, through libxml2's
// serializer.
//
// Threads: writing never changes the document, not even for a moment, so any
// number of threads may write one document (and read it) at once.
class lxSerializer {
public:
    // Done once when a document gets its owner, before any thread shares it:
    // gives the document an encoding name, without which libxml2 writes
    // characters beyond ASCII in attribute values as references. Output is
    // UTF-8 whatever the name says.
    static void prepare(xmlDocPtr doc);
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
