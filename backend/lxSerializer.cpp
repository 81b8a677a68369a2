#include "backend/lxSerializer.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <libxml/xmlsave.h>

#include "backend/lxCompat.h"
#include "backend/lxFile.h"
#include "backend/lxParseSession.h"
#include "backend/lxString.h"
#include "backend/lxTreeWalk.h"
#include "platform/syMemory.h"

namespace {

int write_string(void* context, const char* buffer, int len) {
    static_cast<std::string*>(context)->append(buffer, static_cast<std::size_t>(len));
    return len;
}

// The whole UTF-8 text first: its length bounds the wide string, which is then made in one piece.
std::wstring widened(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    sy_advise_large_buffer(&out[0], out.capacity() * sizeof(wchar_t));
    std::size_t left = lxString::append(out, text.data(), text.size());
    out.append(left, static_cast<wchar_t>(0xFFFD));
    return out;
}

int write_bytes(void* context, const char* buffer, int len) {
    static_cast<syByteArray*>(context)->append(buffer, static_cast<std::size_t>(len));
    return len;
}

struct FileSink {
    int fd;
    bool failed;
};

int write_file(void* context, const char* buffer, int len) {
    auto* sink = static_cast<FileSink*>(context);
    if (!lxFile::write_all(sink->fd, buffer, static_cast<std::size_t>(len))) {
        sink->failed = true;
        return -1;
    }
    return len;
}

int close_nothing(void*) { return 0; }

bool inherits_namespaces(const xmlNode* node) {
    for (const xmlNode* p = node->parent; p && p->type == XML_ELEMENT_NODE; p = p->parent)
        if (p->nsDef)
            return true;
    return false;
}

// A bit of xmlDoc::properties that libxml2 leaves unused: some namespace
// name of the document holds a character that must be escaped when written.
const int k_escaped_namespaces = 1 << 24;

bool needs_escape(const xmlChar* text) {
    for (; text && *text; ++text)
        if (*text == '&' || *text == '<' || *text == '"')
            return true;
    return false;
}

// Older libxml2 writes namespace names and the attribute defaults of the
// internal subset between quotes as they are, so "&", "<" or a quote in them
// would give text that does not load again. Documents that hold such values
// are then written from a private copy whose values are escaped first: a
// document is never changed while it is written, since other threads may
// read it. (The field types differ between releases.)
template <class Char>
void escape(Char** slot) {
    if (!needs_escape(*slot))
        return;
    std::string escaped;
    for (const xmlChar* c = *slot; *c; ++c) {
        switch (*c) {
        case '&':
            escaped += "&#38;";
            break;
        case '<':
            escaped += "&#60;";
            break;
        case '"':
            escaped += "&#34;";
            break;
        default:
            escaped += static_cast<char>(*c);
        }
    }
    // Values of a private copy are its own allocations, never dictionary entries.
    xmlFree(const_cast<xmlChar*>(*slot));
    *slot = xmlStrdup(BAD_CAST escaped.c_str());
}

void escape_namespaces(xmlNodePtr top) {
    if (lxCompat::writer_escapes().namespaces)
        return;
    lx_walk_subtree(top, [](xmlNodePtr node) {
        if (node->type == XML_ELEMENT_NODE)
            for (xmlNsPtr ns = node->nsDef; ns; ns = ns->next)
                escape(&ns->href);
        return false;
    });
}

bool subset_needs_escape(const xmlDoc* doc) {
    if (doc->intSubset && !lxCompat::writer_escapes().defaults)
        for (xmlNodePtr d = doc->intSubset->children; d; d = d->next)
            if (d->type == XML_ATTRIBUTE_DECL && needs_escape(reinterpret_cast<xmlAttributePtr>(d)->defaultValue))
                return true;
    return false;
}

// The document to write: doc itself, or an escaped private copy (held by copy) when doc needs escaping.
xmlDocPtr writable(xmlDocPtr doc, std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)>& copy) {
    if (!(doc->properties & k_escaped_namespaces) && !subset_needs_escape(doc))
        return doc;
    copy.reset(xmlCopyDoc(doc, 1));
    if (!copy)
        return nullptr;
    if (copy->intSubset && !lxCompat::writer_escapes().defaults)
        for (xmlNodePtr d = copy->intSubset->children; d; d = d->next)
            if (d->type == XML_ATTRIBUTE_DECL)
                escape(&reinterpret_cast<xmlAttributePtr>(d)->defaultValue);
    if (xmlNodePtr root = xmlDocGetRootElement(copy.get()))
        escape_namespaces(root);
    return copy.get();
}

// Runs one serialization into a sink; false when libxml2 reports a failure.
template <class Save>
bool serialize(xmlOutputWriteCallback write, void* context, int options, Save save) {
    // Write errors come back as the result; the session keeps libxml2 from printing them.
    lxParseSession quiet(lxParseSession::no_resources);
    xmlSaveCtxtPtr ctxt = xmlSaveToIO(write, &close_nothing, context, "UTF-8", options);
    if (!ctxt)
        return false;
    bool ok = save(ctxt) >= 0;
    return xmlSaveClose(ctxt) >= 0 && ok;
}

// Writes a whole document into out: the XML declaration, then each child of
// the document on its own line; false when out fails. libxml2's own document
// writer is not used: it sets xmlDoc::encoding while it writes, which races
// with any other thread reading or writing the same document.
bool write_document(xmlDocPtr doc, xmlOutputBufferPtr out) {
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> copy(nullptr, &xmlFreeDoc);
    xmlDocPtr written = writable(doc, copy);
    if (!written)
        return false;
    std::string declaration = "<?xml version=";
    const char* version = doc->version ? reinterpret_cast<const char*>(doc->version) : "1.0";
    char quote = std::strchr(version, '"') ? '\'' : '"';
    declaration += quote;
    declaration += version;
    declaration += quote;
    declaration += " encoding=\"UTF-8\"";
    if (doc->standalone == 0)
        declaration += " standalone=\"no\"";
    else if (doc->standalone == 1)
        declaration += " standalone=\"yes\"";
    declaration += "?>\n";
    xmlOutputBufferWrite(out, static_cast<int>(declaration.size()), declaration.data());
    for (xmlNodePtr child = written->children; child; child = child->next) {
        // Text in UTF-8 as it is: only markup characters are escaped.
        xmlNodeDumpOutput(out, written, child, 0, 0, "UTF-8");
        xmlOutputBufferWrite(out, 1, "\n");
    }
    return out->error == 0;
}

// Writes a whole document into a sink; false on any failure.
bool write_document(xmlDocPtr doc, xmlOutputWriteCallback write, void* context) {
    // Write errors come back as the result; the session keeps libxml2 from printing them.
    lxParseSession quiet(lxParseSession::no_resources);
    xmlOutputBufferPtr out = xmlOutputBufferCreateIO(write, &close_nothing, context, nullptr);
    if (!out)
        return false;
    bool ok = write_document(doc, out);
    return xmlOutputBufferClose(out) >= 0 && ok;
}

} // namespace

syString lxSerializer::node_xml(xmlNodePtr node) {
    std::string utf8;
    xmlNodePtr copy = nullptr;
    if (node->type == XML_ELEMENT_NODE &&
        (inherits_namespaces(node) || (node->doc && (node->doc->properties & k_escaped_namespaces)))) {
        // A copy outside the tree carries the declarations it needs on its top
        // and can be escaped. It belongs to no document, so that copying
        // changes nothing in this one (not even its table of IDs).
        copy = xmlDocCopyNode(node, nullptr, 1);
        if (copy) {
            escape_namespaces(copy);
            // Written as if in the document (its encoding decides how attribute values are written).
            lx_walk_subtree(copy, [node](xmlNodePtr n) {
                n->doc = node->doc;
                if (n->type == XML_ELEMENT_NODE)
                    for (xmlAttrPtr a = n->properties; a; a = a->next) {
                        a->doc = node->doc;
                        for (xmlNodePtr v = a->children; v; v = v->next)
                            v->doc = node->doc;
                    }
                return false;
            });
        }
    }
    xmlNodePtr written = copy ? copy : node;
    serialize(&write_string, &utf8, XML_SAVE_NO_DECL,
              [written](xmlSaveCtxtPtr ctxt) { return xmlSaveTree(ctxt, written); });
    if (copy)
        xmlFreeNode(copy);
    std::wstring text = widened(utf8);
    // An attribute is written as it stands in a start tag, after a blank.
    if (node->type == XML_ATTRIBUTE_NODE && !text.empty() && text[0] == L' ')
        text.erase(0, 1);
    return syString(std::move(text));
}

syString lxSerializer::document_xml(xmlDocPtr doc) {
    lxParseSession quiet(lxParseSession::no_resources);
    // In memory, in one growing buffer, widened from there in one piece.
    xmlOutputBufferPtr out = xmlAllocOutputBuffer(nullptr);
    if (!out)
        return syString();
    std::wstring text;
    if (write_document(doc, out)) {
        const char* utf8 = reinterpret_cast<const char*>(xmlOutputBufferGetContent(out));
        std::size_t size = xmlOutputBufferGetSize(out);
        text.reserve(size);
        sy_advise_large_buffer(&text[0], text.capacity() * sizeof(wchar_t));
        std::size_t left = lxString::append(text, utf8, size);
        text.append(left, static_cast<wchar_t>(0xFFFD));
    }
    xmlOutputBufferClose(out);
    return syString(std::move(text));
}

bool lxSerializer::save(xmlDocPtr doc, syByteArray& output) {
    if (!xmlDocGetRootElement(doc))
        return false;
    output.clear();
    if (write_document(doc, &write_bytes, &output))
        return true;
    output.clear();
    return false;
}

bool lxSerializer::save(xmlDocPtr doc, const std::string& path) {
    if (!xmlDocGetRootElement(doc))
        return false;
    return lxFile::replace(path, [doc](int fd) {
        FileSink sink{fd, false};
        return write_document(doc, &write_file, &sink) && !sink.failed;
    });
}

void lxSerializer::prepare(xmlDocPtr doc) {
    if (!doc->encoding)
        doc->encoding = xmlStrdup(BAD_CAST "UTF-8");
}

void lxSerializer::note_namespaces(xmlDocPtr doc, const xmlNode* element) {
    if (lxCompat::writer_escapes().namespaces)
        return;
    for (const xmlNs* ns = element->nsDef; ns; ns = ns->next)
        if (needs_escape(ns->href))
            doc->properties |= k_escaped_namespaces;
}
