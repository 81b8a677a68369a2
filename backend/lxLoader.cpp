#include "backend/lxLoader.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>

#include "backend/lxFile.h"
#include "backend/lxParseSession.h"
#include "backend/lxSerializer.h"
#include "backend/lxString.h"

namespace {

// Counts the references to the five predefined entities (&amp; &lt; &gt;
// &quot; &apos;) that stand in quoted values inside markup: attribute values
// and attribute defaults. libxml2 counts each of them as an entity expansion
// (though it does not count the same references in text), so the expansion
// limit would refuse documents that declare no entity at all. The text is fed
// in the pieces the parser reads; comments, CDATA sections, processing
// instructions and entity declarations are left out.
class PredefinedReferenceCounter {
public:
    void feed(const char* text, std::size_t n) {
        const char* end = text + n;
        for (const char* p = text; p < end; ++p) {
            // Runs of text and of plain value characters are passed over in bulk.
            if (m_state == Text) {
                p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
                if (!p)
                    return;
            } else if (m_state == Quoted && m_reference.empty()) {
                while (p < end && *p != m_quote && *p != '&')
                    ++p;
                if (p == end)
                    return;
            }
            step(*p);
        }
    }
    unsigned long count() const { return m_count; }

private:
    enum State { Text, Open, Bang, Comment, CData, Instruction, Markup, Quoted };

    void step(char c) {
        switch (m_state) {
        case Text:
            if (c == '<')
                m_state = Open;
            break;
        case Open:
            m_keyword.clear();
            m_state = c == '!' ? Bang : c == '?' ? Instruction : c == '<' ? Open : Markup;
            m_in_entity_declaration = false;
            m_run = 0;
            break;
        case Bang:
            m_keyword += c;
            if (m_keyword == "--") {
                m_state = Comment;
            } else if (m_keyword == "[CDATA[") {
                m_state = CData;
            } else if (!(c >= 'A' && c <= 'Z') && c != '-' && c != '[') {
                m_in_entity_declaration = m_keyword.compare(0, 6, "ENTITY") == 0;
                m_state = Markup;
                step_markup(c);
            } else if (m_keyword.size() > 8) {
                m_state = Markup;
            }
            break;
        case Comment: // ends at "-->"
            m_run = c == '-' ? m_run + 1 : (c == '>' && m_run >= 2 ? (m_state = Text, 0) : 0);
            break;
        case CData: // ends at "]]>"
            m_run = c == ']' ? m_run + 1 : (c == '>' && m_run >= 2 ? (m_state = Text, 0) : 0);
            break;
        case Instruction: // ends at "?>"
            m_run = c == '?' ? 1 : (c == '>' && m_run ? (m_state = Text, 0) : 0);
            break;
        case Markup:
            step_markup(c);
            break;
        case Quoted:
            if (c == m_quote) {
                m_state = Markup;
            } else if (c == '&') {
                m_reference.assign(1, c);
            } else if (!m_reference.empty()) {
                m_reference += c;
                if (c == ';') {
                    if (!m_in_entity_declaration && is_predefined(m_reference))
                        ++m_count;
                    m_reference.clear();
                } else if (m_reference.size() > 6) {
                    m_reference.clear();
                }
            }
            break;
        }
    }

    void step_markup(char c) {
        if (c == '"' || c == '\'') {
            m_quote = c;
            m_reference.clear();
            m_state = Quoted;
        } else if (c == '>') {
            m_state = Text;
        } else if (c == '<') {
            m_state = Open; // a declaration inside the internal subset
        }
    }

    static bool is_predefined(const std::string& r) {
        return r == "&amp;" || r == "&lt;" || r == "&gt;" || r == "&quot;" || r == "&apos;";
    }

    State m_state = Text;
    std::string m_keyword;
    std::string m_reference;
    char m_quote = '"';
    int m_run = 0;
    bool m_in_entity_declaration = false;
    unsigned long m_count = 0;
};

// What the entity callbacks of one load need to know.
struct LoadState {
    lxParseSession* session;
    xmlParserCtxtPtr main;
    unsigned long limit;
    bool resolve_external;
    unsigned long long expanded; // bytes of replacement text handed out
    const PredefinedReferenceCounter* predefined;
};

// Expansion beyond this many bytes must stay within ten times the text read.
const unsigned long long k_free_expansion = 1000000;

thread_local LoadState* t_load = nullptr;

// libxml2 counts an entity reference and the references inside its
// replacement text, about twice per expansion.
unsigned long expansions(unsigned long counted) { return (counted + 1) / 2; }

// Counts the replacement text of one reference; true when the expansion has
// grown out of proportion to the document. libxml2 lets up to 10 MB through
// first, appending copy after copy to one text node at quadratic cost.
bool too_large(const xmlEntity* entity) {
    LoadState* load = t_load;
    load->expanded += static_cast<unsigned long long>(entity->length > 0 ? entity->length : 0);
    if (load->expanded <= k_free_expansion)
        return false;
    const xmlParserInput* input = load->main->input;
    unsigned long long consumed = load->main->sizeentities;
    if (input)
        consumed += input->consumed + static_cast<unsigned long long>(input->cur - input->base);
    return load->expanded > 10 * consumed;
}

// Expansions of declared entities counted so far in the document.
unsigned long counted_expansions(const LoadState& load, unsigned long counted) {
    unsigned long predefined = load.predefined->count();
    return expansions(counted > predefined ? counted - predefined : 0);
}

bool over_limit(xmlParserCtxtPtr ctxt) {
    LoadState* load = t_load;
    unsigned long counted = load->main->nbentities;
    if (ctxt != load->main)
        counted += ctxt->nbentities;
    return counted_expansions(*load, counted) > load->limit;
}

void stop(xmlParserCtxtPtr ctxt, const std::string& message) {
    LoadState* load = t_load;
    load->session->fail(message);
    ctxt->wellFormed = 0;
    load->main->wellFormed = 0;
    xmlStopParser(ctxt);
}

bool is_network(const xmlChar* uri) {
    if (!uri)
        return false;
    std::string name = reinterpret_cast<const char*>(uri);
    return lxParseSession::file_name(name).empty();
}

std::string quoted(const xmlChar* name) { return std::string("'") + reinterpret_cast<const char*>(name) + "'"; }

// Checks one external entity before libxml2 reads it; false after stopping the parse.
bool may_load(xmlParserCtxtPtr ctxt, xmlEntityPtr entity) {
    LoadState* load = t_load;
    if (!load->resolve_external) {
        stop(ctxt, "external entity " + quoted(entity->name) + " not loaded: entity resolution is disabled");
        return false;
    }
    if (is_network(entity->URI ? entity->URI : entity->SystemID)) {
        stop(ctxt, "external entity " + quoted(entity->name) + " not loaded: the network is never used");
        return false;
    }
    return true;
}

xmlEntityPtr get_entity(void* ctx, const xmlChar* name) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState* load = t_load;
    if (load && load->session->failed()) {
        stop(ctxt, std::string());
        return nullptr;
    }
    xmlEntityPtr entity = xmlSAX2GetEntity(ctx, name);
    if (!load || !entity)
        return entity;
    if (entity->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY && !may_load(ctxt, entity))
        return nullptr;
    if (over_limit(ctxt)) {
        stop(ctxt, "entity expansion limit of " + std::to_string(load->limit) + " exceeded");
        return nullptr;
    }
    if (entity->etype == XML_INTERNAL_GENERAL_ENTITY && too_large(entity)) {
        stop(ctxt,
             "entity expansion of " + std::to_string(load->expanded) + " bytes is out of proportion to the document");
        return nullptr;
    }
    return entity;
}

xmlEntityPtr get_parameter_entity(void* ctx, const xmlChar* name) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState* load = t_load;
    if (load && load->session->failed()) {
        stop(ctxt, std::string());
        return nullptr;
    }
    xmlEntityPtr entity = xmlSAX2GetParameterEntity(ctx, name);
    if (!load || !entity)
        return entity;
    if (entity->etype == XML_EXTERNAL_PARAMETER_ENTITY && !may_load(ctxt, entity))
        return nullptr;
    if (over_limit(ctxt)) {
        stop(ctxt, "entity expansion limit of " + std::to_string(load->limit) + " exceeded");
        return nullptr;
    }
    return entity;
}

// Called for a reference that libxml2 leaves in the tree instead of
// substituting it (an entity it knows no declaration of): such a tree would
// be written out with a reference its text does not declare.
void unresolved_reference(void* ctx, const xmlChar* name) {
    stop(static_cast<xmlParserCtxtPtr>(ctx), "reference to undeclared entity " + quoted(name));
}

bool is_blank(const xmlChar* text) {
    if (!text)
        return true;
    for (; *text; ++text)
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r')
            return false;
    return true;
}

// xml:space on element: 1 for "preserve", 0 for "default", -1 when absent.
int space_attribute(const xmlNode* element) {
    for (const xmlAttr* a = element->properties; a; a = a->next) {
        if (a->ns && a->ns->prefix && xmlStrEqual(a->name, BAD_CAST "space") &&
            xmlStrEqual(a->ns->href, XML_XML_NAMESPACE) && a->children && a->children->content) {
            if (xmlStrEqual(a->children->content, BAD_CAST "preserve"))
                return 1;
            if (xmlStrEqual(a->children->content, BAD_CAST "default"))
                return 0;
        }
    }
    return -1;
}

// Drops the white-space-only text children of element when its content is
// element-only: it has children other than text, and none of its text is
// more than white space. An element's only text, and text in mixed content,
// stay.
void drop_indentation_of(xmlNodePtr element) {
    bool structured = false;
    for (xmlNodePtr child = element->children; child; child = child->next) {
        if (child->type != XML_TEXT_NODE && child->type != XML_CDATA_SECTION_NODE) {
            structured = true;
            break;
        }
    }
    if (!structured)
        return;
    for (xmlNodePtr child = element->children; child; child = child->next)
        if (child->type == XML_CDATA_SECTION_NODE || (child->type == XML_TEXT_NODE && !is_blank(child->content)))
            return;
    xmlNodePtr child = element->children;
    while (child) {
        xmlNodePtr next = child->next;
        if (child->type == XML_TEXT_NODE) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        child = next;
    }
}

// One walk over the elements of the document, honouring xml:space="preserve".
void drop_indentation(xmlDocPtr doc) {
    xmlNodePtr root = xmlDocGetRootElement(doc);
    if (!root)
        return;
    std::vector<char> preserve(1, 0);
    xmlNodePtr node = root;
    for (;;) {
        if (node->nsDef)
            lxSerializer::note_namespaces(doc, node);
        int space = node->properties ? space_attribute(node) : -1;
        preserve.push_back(space < 0 ? preserve.back() : static_cast<char>(space));
        if (!preserve.back())
            drop_indentation_of(node);
        xmlNodePtr child = node->children;
        while (child && child->type != XML_ELEMENT_NODE)
            child = child->next;
        if (child) {
            node = child;
            continue;
        }
        // Leave finished elements until one has a following element sibling.
        for (;;) {
            preserve.pop_back();
            if (node == root)
                return;
            xmlNodePtr next = node->next;
            while (next && next->type != XML_ELEMENT_NODE)
                next = next->next;
            if (next) {
                node = next;
                break;
            }
            node = node->parent;
        }
    }
}

// Parses the text that buffer delivers (and frees buffer), validates and prepares the document.
xmlDocPtr parse(xmlParserInputBufferPtr buffer, const PredefinedReferenceCounter& predefined, const std::string& url,
                const omLoadOptions& options, lxSchemaCache& schemas, omParseError& error) {
    lxParseSession session(options.disable_entity_resolution() ? lxParseSession::no_resources
                                                               : lxParseSession::local_files);
    xmlParserCtxtPtr ctxt = buffer ? xmlNewParserCtxt() : nullptr;
    if (!ctxt) {
        if (buffer)
            xmlFreeParserInputBuffer(buffer);
        session.fail("out of memory");
        session.fill(error, url);
        return nullptr;
    }
    int parse_options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_COMPACT;
    if (!options.disable_entity_resolution())
        parse_options |= XML_PARSE_DTDLOAD;
    xmlCtxtUseOptions(ctxt, parse_options);
    ctxt->sax->getEntity = &get_entity;
    ctxt->sax->getParameterEntity = &get_parameter_entity;
    ctxt->sax->reference = &unresolved_reference;
    ctxt->sax->serror = &lxParseSession::report;

    int limit = options.entity_expansion_limit();
    LoadState state{
        &session, ctxt,       limit > 0 ? static_cast<unsigned long>(limit) : 0UL, !options.disable_entity_resolution(),
        0,        &predefined};
    LoadState* outer = t_load;
    t_load = &state;

    xmlParserInputPtr input = xmlNewIOInputStream(ctxt, buffer, XML_CHAR_ENCODING_NONE);
    xmlDocPtr doc = nullptr;
    if (!input) {
        xmlFreeParserInputBuffer(buffer);
        session.fail("out of memory");
    } else {
        if (!url.empty())
            input->filename = reinterpret_cast<char*>(xmlStrdup(BAD_CAST url.c_str()));
        inputPush(ctxt, input);
        xmlParseDocument(ctxt);
        doc = ctxt->myDoc;
        ctxt->myDoc = nullptr;
        if (!session.failed() && counted_expansions(state, ctxt->nbentities) > state.limit)
            session.fail("entity expansion limit of " + std::to_string(state.limit) + " exceeded");
        if (!session.failed() && (!ctxt->wellFormed || !doc))
            session.fail("the document is not well-formed");
    }
    t_load = outer;
    xmlFreeParserCtxt(ctxt);

    if (doc && !session.failed()) {
        if (doc->URL)
            xmlFree(const_cast<xmlChar*>(doc->URL));
        doc->URL = url.empty() ? nullptr : xmlStrdup(BAD_CAST url.c_str());
        if (lxSchemaCache::wanted(options)) {
            if (std::shared_ptr<xmlSchema> schema = schemas.get(options, session)) {
                xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(schema.get());
                int result = validator ? 0 : -1;
                if (validator) {
                    xmlSchemaSetValidStructuredErrors(validator, &lxParseSession::report, nullptr);
                    result = xmlSchemaValidateDoc(validator, doc);
                    xmlSchemaFreeValidCtxt(validator);
                }
                if (result != 0)
                    session.fail("the document is not valid against its schemas");
            }
        }
    }
    if (!doc || session.failed()) {
        if (doc)
            xmlFreeDoc(doc);
        session.fill(error, url);
        return nullptr;
    }
    drop_indentation(doc);
    return doc;
}

// Hands the parser the caller's bytes piece by piece, without a copy of the whole text.
struct MemoryText {
    const char* next;
    std::size_t left;
    PredefinedReferenceCounter predefined;
};

int read_memory(void* context, char* buffer, int len) {
    auto* text = static_cast<MemoryText*>(context);
    std::size_t n = text->left < static_cast<std::size_t>(len) ? text->left : static_cast<std::size_t>(len);
    std::memcpy(buffer, text->next, n);
    text->predefined.feed(text->next, n);
    text->next += n;
    text->left -= n;
    return static_cast<int>(n);
}

struct FileText {
    int fd;
    PredefinedReferenceCounter predefined;
};

int read_file(void* context, char* buffer, int len) {
    auto* text = static_cast<FileText*>(context);
    for (;;) {
        ssize_t n = ::read(text->fd, buffer, static_cast<std::size_t>(len));
        if (n > 0)
            text->predefined.feed(buffer, static_cast<std::size_t>(n));
        if (n >= 0 || errno != EINTR)
            return static_cast<int>(n);
    }
}

int close_nothing(void*) { return 0; }

} // namespace

xmlDocPtr lxLoader::load(const char* data, std::size_t size, const omLoadOptions& options, lxSchemaCache& schemas,
                         omParseError& error) {
    error = omParseError();
    if (size == 0) {
        error = omParseError(SYSTRING("Document is empty"));
        return nullptr;
    }
    MemoryText text{data, size, {}};
    xmlParserInputBufferPtr buffer =
        xmlParserInputBufferCreateIO(&read_memory, &close_nothing, &text, XML_CHAR_ENCODING_NONE);
    return parse(buffer, text.predefined, std::string(), options, schemas, error);
}

xmlDocPtr lxLoader::load_file(const std::string& path, const omLoadOptions& options, lxSchemaCache& schemas,
                              omParseError& error) {
    error = omParseError();
    std::string reason;
    int fd = lxFile::open_for_reading(path, reason);
    if (fd < 0) {
        std::string message = "cannot read '" + path + "': " + reason;
        error = omParseError(lxString::from_xml(message.data(), message.size()));
        error.set_url(lxString::from_xml(path.data(), path.size()));
        return nullptr;
    }
    FileText text{fd, {}};
    xmlParserInputBufferPtr buffer =
        xmlParserInputBufferCreateIO(&read_file, &close_nothing, &text, XML_CHAR_ENCODING_NONE);
    xmlDocPtr doc = parse(buffer, text.predefined, path, options, schemas, error);
    ::close(fd);
    return doc;
}
