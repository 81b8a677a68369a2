#pragma once

#include <climits>
#include <cstddef>
#include <string>

#include <libxml/hash.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlversion.h>

// What differs between the libxml2 releases the back-end builds against
// (2.9.14 to 2.15), in one place and keyed on LIBXML_VERSION. The rest of the
// back-end uses only these names and the API all of those releases share.
class lxCompat {
public:
    // The longest text node libxml2 builds without XML_PARSE_HUGE (its
    // XML_MAX_TEXT_LENGTH, the same in every release; its header is internal).
    static constexpr std::size_t max_text_length = 10000000;
    // The deepest nesting of elements libxml2 accepts with XML_PARSE_HUGE:
    // since 2.11 it keeps a limit of its own there too.
#if LIBXML_VERSION >= 21100
    static constexpr std::size_t max_trusted_depth = 2048;
#else
    static constexpr std::size_t max_trusted_depth = static_cast<std::size_t>(-1);
#endif

    // Detaches the ID that attribute holds before the attribute is freed, so
    // that the document keeps the ID (a later duplicate is still found)
    // without pointing at freed memory, as libxml2's own streaming reader
    // does. No public call does this.
    static void keep_id(xmlDocPtr doc, xmlAttrPtr attribute) {
#if LIBXML_VERSION >= 21200
        // Since 2.12 the attribute points at its ID, and freeing it removes the ID.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        xmlIDPtr id = attribute->id;
        if (!id)
            return;
        id->attr = nullptr;
        if (id->name && !(doc->dict && xmlDictOwns(doc->dict, id->name)))
            xmlFree(const_cast<xmlChar*>(id->name));
        id->name = attribute->name;
        attribute->name = nullptr;
        attribute->id = nullptr;
#pragma GCC diagnostic pop
#else
        // Before, the ID is removed only from an attribute typed ID.
        xmlChar* value = xmlNodeListGetString(doc, attribute->children, 1);
        auto id = static_cast<xmlIDPtr>(xmlHashLookup(static_cast<xmlHashTablePtr>(doc->ids), value));
        if (id && id->attr == attribute)
            id->attr = nullptr;
        xmlFree(value);
        attribute->atype = XML_ATTRIBUTE_CDATA;
#endif
    }

    // Structured error handlers see a const error since 2.12.
#if LIBXML_VERSION >= 21200
    using Error = const xmlError*;
#else
    using Error = xmlError*;
#endif

    // Reads the external resource a URI names into bytes; false after
    // recording why it is not read.
    using ReadResource = bool (*)(const char* uri, std::string& bytes);

    // Where a parser stands in one of its inputs. Depth 0 is the outermost:
    // the document, or the external subset while that is read; entities and
    // parameter entities stack on top of it.
    struct Place {
        const void* input = nullptr; // which input, only to compare
        unsigned long offset = 0;    // bytes read from it
        int line = -1;
        int column = -1;
    };

    // How many inputs the parser has open.
    static int input_depth(const xmlParserCtxt* ctxt) { return ctxt ? ctxt->inputNr : 0; }

    static Place place(const xmlParserCtxt* ctxt, int depth) {
        Place at;
        if (!ctxt || depth < 0 || depth >= ctxt->inputNr)
            return at;
        at.input = ctxt->inputTab[depth];
#if LIBXML_VERSION >= 21500
        xmlCtxtGetInputPosition(const_cast<xmlParserCtxt*>(ctxt), depth, nullptr, &at.line, &at.column, &at.offset);
#else
        const xmlParserInput* input = ctxt->inputTab[depth];
        at.offset = input->consumed + static_cast<unsigned long>(input->cur - input->base);
        at.line = input->line;
        at.column = input->col;
#endif
        return at;
    }

    // Routes the reports of one parser context to report and its reads of
    // external resources to Read, where libxml2 has per-context hooks for
    // them (errors since 2.13, resources since 2.14); ThreadHooks covers the
    // older releases.
    template <ReadResource Read>
    static void set_hooks(xmlParserCtxtPtr ctxt, xmlStructuredErrorFunc report) {
#if LIBXML_VERSION >= 21300
        xmlCtxtSetErrorHandler(ctxt, report, nullptr);
#else
        ctxt->sax->serror = report;
#endif
#if LIBXML_VERSION >= 21400
        xmlCtxtSetResourceLoader(ctxt, &load_input<Read>, nullptr);
#endif
    }

    // The same for a schema parser context and the documents it reads.
    // Active tells whether Read may be asked on the calling thread.
    template <ReadResource Read, bool (*Active)()>
    static void set_hooks(xmlSchemaParserCtxtPtr ctxt, xmlStructuredErrorFunc report) {
        xmlSchemaSetParserStructuredErrors(ctxt, report, nullptr);
#if LIBXML_VERSION >= 21400
        xmlSchemaSetResourceLoader(ctxt, &load_input<Read>, nullptr);
        route_nested_loads<Read, Active>();
#endif
    }

    // Before 2.13 libxml2 reports some errors (reading files, writing output)
    // only to the thread's handler, and before 2.14 opens every external
    // resource through the thread's opener: while a ThreadHooks lives, those
    // are report and Read, and then the previous ones again. From 2.14 on it
    // changes nothing.
    template <ReadResource Read>
    class ThreadHooks {
    public:
        explicit ThreadHooks(xmlStructuredErrorFunc report) {
            (void)report;
#if LIBXML_VERSION < 21300
            m_handler = xmlStructuredError;
            m_context = xmlStructuredErrorContext;
            xmlSetStructuredErrorFunc(nullptr, report);
#endif
#if LIBXML_VERSION < 21400
            m_opener = xmlParserInputBufferCreateFilenameDefault(&open_buffer<Read>);
#endif
        }
        ThreadHooks(const ThreadHooks&) = delete;
        ThreadHooks& operator=(const ThreadHooks&) = delete;
        ~ThreadHooks() {
#if LIBXML_VERSION < 21400
            xmlParserInputBufferCreateFilenameDefault(m_opener);
#endif
#if LIBXML_VERSION < 21300
            xmlSetStructuredErrorFunc(m_context, m_handler);
#endif
        }

    private:
#if LIBXML_VERSION < 21300
        xmlStructuredErrorFunc m_handler;
        void* m_context;
#endif
#if LIBXML_VERSION < 21400
        xmlParserInputBufferCreateFilenameFunc m_opener;
#endif
    };

    // Whether libxml2's writer escapes "&", "<" and '"' in namespace names,
    // and in the attribute defaults of a document type, itself; older
    // releases write them as they are. Asked of the library that runs, which
    // may be newer than the headers built against: releases up to 2.13 share
    // one binary interface.
    struct Escapes {
        bool namespaces = false;
        bool defaults = false;
    };
    static const Escapes& writer_escapes() {
        static const Escapes escapes = probe_writer();
        return escapes;
    }

private:
    template <ReadResource Read>
    static xmlParserInputBufferPtr open_buffer(const char* uri, xmlCharEncoding encoding) {
        std::string bytes;
        if (!uri || !Read(uri, bytes) || bytes.size() > static_cast<std::size_t>(INT_MAX))
            return nullptr;
        return xmlParserInputBufferCreateMem(bytes.data(), static_cast<int>(bytes.size()), encoding);
    }

#if LIBXML_VERSION >= 21400
    // libxml2 does not hand a schema parser's resource loader on to the
    // parsers of the schema documents that are included or imported in turn:
    // those read through the process's external entity loader. It is routed
    // to Read too, once for the process, while Active() holds on the calling
    // thread, and to the loader it replaced otherwise.
    template <ReadResource Read, bool (*Active)()>
    static void route_nested_loads() {
        static const bool routed = [] {
            replaced_loader() = xmlGetExternalEntityLoader();
            xmlSetExternalEntityLoader(&nested_load<Read, Active>);
            return true;
        }();
        (void)routed;
    }

    static xmlExternalEntityLoader& replaced_loader() {
        static xmlExternalEntityLoader loader = nullptr;
        return loader;
    }

    template <ReadResource Read, bool (*Active)()>
    static xmlParserInputPtr nested_load(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
        if (!Active())
            return replaced_loader() ? replaced_loader()(url, id, ctxt) : nullptr;
        std::string bytes;
        if (!url || !Read(url, bytes))
            return nullptr;
        return xmlNewInputFromMemory(url, bytes.data(), bytes.size(), static_cast<xmlParserInputFlags>(0));
    }

    template <ReadResource Read>
    static xmlParserErrors load_input(void*, const char* url, const char*, xmlResourceType, xmlParserInputFlags,
                                      xmlParserInputPtr* out) {
        *out = nullptr;
        std::string bytes;
        if (!url || !Read(url, bytes))
            return XML_IO_ENOENT;
        *out = xmlNewInputFromMemory(url, bytes.data(), bytes.size(), static_cast<xmlParserInputFlags>(0));
        return *out ? XML_ERR_OK : XML_ERR_NO_MEMORY;
    }
#endif

    static int append(void* context, const char* buffer, int len) {
        static_cast<std::string*>(context)->append(buffer, static_cast<std::size_t>(len));
        return len;
    }

    // Writes a document whose namespace name and attribute default are "&".
    static Escapes probe_writer() {
        Escapes escapes;
        xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
        if (!doc)
            return escapes;
        xmlNodePtr root = xmlNewDocNode(doc, nullptr, BAD_CAST "r", nullptr);
        xmlDocSetRootElement(doc, root);
        xmlDtdPtr dtd = xmlCreateIntSubset(doc, BAD_CAST "r", nullptr, nullptr);
        if (root)
            xmlNewNs(root, BAD_CAST "&", nullptr);
        if (dtd)
            xmlAddAttributeDecl(nullptr, dtd, BAD_CAST "r", BAD_CAST "d", nullptr, XML_ATTRIBUTE_CDATA,
                                XML_ATTRIBUTE_NONE, BAD_CAST "&", nullptr);
        std::string text;
        if (xmlSaveCtxtPtr save = xmlSaveToIO(&append, nullptr, &text, "UTF-8", 0)) {
            xmlSaveDoc(save, doc);
            xmlSaveClose(save);
        }
        xmlFreeDoc(doc);
        auto has = [&text](const char* part) { return text.find(part) != std::string::npos; };
        escapes.namespaces = has("xmlns=\"") && !has("xmlns=\"&\"");
        escapes.defaults = has("CDATA \"") && !has("CDATA \"&\"");
        return escapes;
    }
};
