#include "backend/lxSerializer.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <libxml/xmlsave.h>

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

// libxml2 writes namespace names and the attribute defaults of the internal
// subset between quotes as they are, so "&", "<" or a quote in them would
// give text that does not load again. While one document or node is written,
// escaped copies stand in for such values; the originals come back after.
class EscapedQuotedValues {
public:
    // For the whole document when top is null, else for the element top.
    EscapedQuotedValues(xmlDocPtr doc, xmlNodePtr top) {
        if (!doc)
            return;
        if (doc->intSubset && !top)
            for (xmlNodePtr d = doc->intSubset->children; d; d = d->next)
                if (d->type == XML_ATTRIBUTE_DECL)
                    stand_in(&reinterpret_cast<xmlAttributePtr>(d)->defaultValue);
        if (doc->properties & k_escaped_namespaces)
            escape_namespaces(top ? top : xmlDocGetRootElement(doc));
    }
    ~EscapedQuotedValues() {
        for (auto& swapped : m_swapped) {
            xmlFree(const_cast<xmlChar*>(*swapped.first));
            *swapped.first = swapped.second;
        }
    }
    EscapedQuotedValues(const EscapedQuotedValues&) = delete;
    EscapedQuotedValues& operator=(const EscapedQuotedValues&) = delete;

private:
    void escape_namespaces(xmlNodePtr top) {
        lx_walk_subtree(top, [this](xmlNodePtr node) {
            if (node->type == XML_ELEMENT_NODE)
                for (xmlNsPtr ns = node->nsDef; ns; ns = ns->next)
                    stand_in(&ns->href);
            return false;
        });
    }

    void stand_in(const xmlChar** slot) {
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
        m_swapped.emplace_back(slot, *slot);
        *slot = xmlStrdup(BAD_CAST escaped.c_str());
    }

    std::vector<std::pair<const xmlChar**, const xmlChar*>> m_swapped;
};

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

} // namespace

syString lxSerializer::node_xml(xmlNodePtr node) {
    std::string utf8;
    xmlNodePtr copy = nullptr;
    if (node->type == XML_ELEMENT_NODE && inherits_namespaces(node)) {
        // A copy outside the tree carries the declarations it needs on its top.
        copy = xmlDocCopyNode(node, node->doc, 1);
    }
    xmlNodePtr written = copy ? copy : node;
    {
        std::optional<EscapedQuotedValues> escaped;
        if (node->type == XML_ELEMENT_NODE)
            escaped.emplace(node->doc, written);
        serialize(&write_string, &utf8, XML_SAVE_NO_DECL,
                  [written](xmlSaveCtxtPtr ctxt) { return xmlSaveTree(ctxt, written); });
    }
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
    xmlChar* text = nullptr;
    int size = 0;
    {
        EscapedQuotedValues escaped(doc, nullptr);
        xmlDocDumpFormatMemoryEnc(doc, &text, &size, "UTF-8", 0);
    }
    if (!text)
        return syString();
    std::wstring out;
    out.reserve(static_cast<std::size_t>(size));
    sy_advise_large_buffer(&out[0], out.capacity() * sizeof(wchar_t));
    std::size_t left = lxString::append(out, reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
    out.append(left, static_cast<wchar_t>(0xFFFD));
    xmlFree(text);
    return syString(std::move(out));
}

bool lxSerializer::save(xmlDocPtr doc, syByteArray& output) {
    if (!xmlDocGetRootElement(doc))
        return false;
    output.clear();
    EscapedQuotedValues escaped(doc, nullptr);
    if (serialize(&write_bytes, &output, 0, [doc](xmlSaveCtxtPtr ctxt) { return xmlSaveDoc(ctxt, doc); }))
        return true;
    output.clear();
    return false;
}

bool lxSerializer::save(xmlDocPtr doc, const std::string& path) {
    if (!xmlDocGetRootElement(doc))
        return false;
    EscapedQuotedValues escaped(doc, nullptr);
    return lxFile::replace(path, [doc](int fd) {
        FileSink sink{fd, false};
        bool ok = serialize(&write_file, &sink, 0, [doc](xmlSaveCtxtPtr ctxt) { return xmlSaveDoc(ctxt, doc); });
        return ok && !sink.failed;
    });
}

void lxSerializer::note_namespaces(xmlDocPtr doc, const xmlNode* element) {
    for (const xmlNs* ns = element->nsDef; ns; ns = ns->next)
        if (needs_escape(ns->href))
            doc->properties |= k_escaped_namespaces;
}
