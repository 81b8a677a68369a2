#include "backend/lxLoader.h"

#include <climits>
#include <cstring>
#include <vector>

#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>

#include "backend/lxParseSession.h"

namespace {

// What the entity callbacks of one load need to know.
struct LoadState {
    lxParseSession* session;
    xmlParserCtxtPtr main;
    unsigned long limit;
    bool resolve_external;
};

thread_local LoadState* t_load = nullptr;

// libxml2 counts an entity reference and the references inside its
// replacement text, about twice per expansion.
unsigned long expansions(unsigned long counted) { return (counted + 1) / 2; }

bool over_limit(xmlParserCtxtPtr ctxt) {
    LoadState* load = t_load;
    unsigned long counted = load->main->nbentities;
    if (ctxt != load->main)
        counted += ctxt->nbentities;
    return expansions(counted) > load->limit;
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

} // namespace

xmlDocPtr lxLoader::load(const char* data, std::size_t size, const std::string& url, const omLoadOptions& options,
                         lxSchemaCache& schemas, omParseError& error) {
    lxParseSession session(options.disable_entity_resolution() ? lxParseSession::no_resources
                                                               : lxParseSession::local_files);
    if (size == 0) {
        session.fail("Document is empty");
        session.fill(error, url);
        return nullptr;
    }
    if (size > static_cast<std::size_t>(INT_MAX)) {
        session.fail("Document is too large");
        session.fill(error, url);
        return nullptr;
    }
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
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
    LoadState state{&session, ctxt, limit > 0 ? static_cast<unsigned long>(limit) : 0UL,
                    !options.disable_entity_resolution()};
    LoadState* outer = t_load;
    t_load = &state;

    xmlParserInputBufferPtr buffer =
        xmlParserInputBufferCreateStatic(data, static_cast<int>(size), XML_CHAR_ENCODING_NONE);
    xmlParserInputPtr input = buffer ? xmlNewIOInputStream(ctxt, buffer, XML_CHAR_ENCODING_NONE) : nullptr;
    xmlDocPtr doc = nullptr;
    if (!input) {
        if (buffer && !input)
            xmlFreeParserInputBuffer(buffer);
        session.fail("out of memory");
    } else {
        if (!url.empty())
            input->filename = reinterpret_cast<char*>(xmlStrdup(BAD_CAST url.c_str()));
        inputPush(ctxt, input);
        xmlParseDocument(ctxt);
        doc = ctxt->myDoc;
        ctxt->myDoc = nullptr;
        if (!session.failed() && expansions(ctxt->nbentities) > state.limit)
            session.fail("entity expansion limit of " + std::to_string(state.limit) + " exceeded");
        if (!session.failed() && (!ctxt->wellFormed || !doc))
            session.fail("the document is not well-formed");
    }
    t_load = outer;
    xmlFreeParserCtxt(ctxt);

    if (!session.failed()) {
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
    if (session.failed()) {
        if (doc)
            xmlFreeDoc(doc);
        session.fill(error, url);
        return nullptr;
    }
    drop_indentation(doc);
    return doc;
}
