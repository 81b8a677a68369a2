#include "backend/lxSerializer.h"

#include <string>

#include <libxml/xmlsave.h>

#include "backend/lxFile.h"
#include "backend/lxParseSession.h"
#include "backend/lxString.h"

namespace {

// Decodes the serializer's UTF-8 output straight into a wide string.
struct WideSink {
    std::wstring text;
    std::string pending; // the start of a sequence split between two writes
};

int write_wide(void* context, const char* buffer, int len) {
    auto* sink = static_cast<WideSink*>(context);
    std::size_t n = static_cast<std::size_t>(len);
    if (!sink->pending.empty()) {
        sink->pending.append(buffer, n);
        std::string joined;
        joined.swap(sink->pending);
        std::size_t left = lxString::append(sink->text, joined.data(), joined.size());
        sink->pending.assign(joined.data() + joined.size() - left, left);
    } else {
        std::size_t left = lxString::append(sink->text, buffer, n);
        sink->pending.assign(buffer + n - left, left);
    }
    return len;
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
    WideSink sink;
    xmlNodePtr copy = nullptr;
    if (node->type == XML_ELEMENT_NODE && inherits_namespaces(node)) {
        // A copy outside the tree carries the declarations it needs on its top.
        copy = xmlDocCopyNode(node, node->doc, 1);
    }
    xmlNodePtr written = copy ? copy : node;
    serialize(&write_wide, &sink, XML_SAVE_NO_DECL,
              [written](xmlSaveCtxtPtr ctxt) { return xmlSaveTree(ctxt, written); });
    if (copy)
        xmlFreeNode(copy);
    std::wstring& text = sink.text;
    // An attribute is written as it stands in a start tag, after a blank.
    if (node->type == XML_ATTRIBUTE_NODE && !text.empty() && text[0] == L' ')
        text.erase(0, 1);
    return syString(std::move(text));
}

syString lxSerializer::document_xml(xmlDocPtr doc) {
    WideSink sink;
    serialize(&write_wide, &sink, 0, [doc](xmlSaveCtxtPtr ctxt) { return xmlSaveDoc(ctxt, doc); });
    return syString(std::move(sink.text));
}

bool lxSerializer::save(xmlDocPtr doc, syByteArray& output) {
    if (!xmlDocGetRootElement(doc))
        return false;
    output.clear();
    if (serialize(&write_bytes, &output, 0, [doc](xmlSaveCtxtPtr ctxt) { return xmlSaveDoc(ctxt, doc); }))
        return true;
    output.clear();
    return false;
}

bool lxSerializer::save(xmlDocPtr doc, const std::string& path) {
    if (!xmlDocGetRootElement(doc))
        return false;
    return lxFile::replace(path, [doc](int fd) {
        FileSink sink{fd, false};
        bool ok = serialize(&write_file, &sink, 0, [doc](xmlSaveCtxtPtr ctxt) { return xmlSaveDoc(ctxt, doc); });
        return ok && !sink.failed;
    });
}
