#include "backend/lxLoader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <libxml/SAX2.h>
#include <libxml/valid.h>
#include <libxml/xmlschemas.h>

#include "backend/lxCompat.h"
#include "backend/lxFile.h"
#include "backend/lxParseSession.h"
#include "backend/lxSerializer.h"
#include "backend/lxString.h"

namespace {

// White space that only indents element content is never put into the
// tree: a blank run of text is held back until its element turns out to have
// text beyond white space (then it goes in where it stood) or ends (then it
// stays only as the element's sole content).
struct OpenElement {
    xmlNodePtr node = nullptr;
    bool preserve = false;   // xml:space="preserve" holds here
    bool shaped = false;     // held-back blanks are tracked (not preserved, built by the document's parser)
    bool structured = false; // has a child other than text
    bool mixed = false;      // has text beyond white space, or CDATA
    // The tree's last child as the callbacks left it: another one means
    // libxml2 copied an entity's content in, unseen; the element then
    // settles its white space from its finished children.
    xmlNodePtr known_last = nullptr;
    bool copied_into = false;
    bool pending = false;               // a blank run at the end, held back
    xmlNodePtr pending_after = nullptr; // the child it follows, null for the first
    std::size_t pending_offset = 0;     // its characters in LoadState::blanks
    std::size_t withdrawn_begin = 0;    // its held-back runs in LoadState::withdrawn
    std::size_t blanks_begin = 0;       // where its runs start in LoadState::blanks
};

// A blank run held back before a later child.
struct Withdrawn {
    xmlNodePtr after; // the child it follows, null for the first
    std::size_t offset;
    std::size_t length;
};

// What the SAX callbacks of one load need to know.
struct LoadState {
    lxParseSession* session = nullptr;
    xmlParserCtxtPtr main = nullptr;
    unsigned long long limit = 0;
    bool resolve_external = false;
    unsigned long long expansions = 0; // declared entities expanded, nested ones included
    unsigned long long expanded = 0;   // bytes of replacement text handed out
    // The entity just declared: libxml2 looks it up once more at once, which expands nothing.
    const xmlChar* declared = nullptr;
    // Where the last reference counted stood (its input, the depth of that
    // input, 0 for none): until the parser moves on in that input, every
    // lookup is one inside the reference's replacement text.
    lxCompat::Place reference;
    int reference_depth = 0;
    // Bytes of the document handed to the parser so far.
    unsigned long long document_bytes = 0;
    std::unordered_map<const xmlEntity*, unsigned long long> weights;
    // The open elements, innermost last, above one that stands for the document.
    std::vector<OpenElement> open = std::vector<OpenElement>(1);
    std::vector<Withdrawn> withdrawn; // blank text held back from the open elements
    std::string blanks;               // the characters of that text
    // Elements were built in a parser context of their own (the content of an
    // entity, copied into the tree at each reference): white space and
    // namespaces are then settled by a walk over the finished tree.
    bool walk_after = false;
    bool huge_input = false;
    std::size_t depth = 0;    // elements open
    std::size_t text_run = 0; // bytes of the text a check has not built since the last markup
    std::vector<bool> built;  // for each element open in a check, whether it was built
    // In a check, the node the parser adds to where no element was built.
    xmlNodePtr holder = nullptr;
};

// Expansion beyond this many bytes must stay within ten times the text read.
const unsigned long long k_free_expansion = 1000000;
// Deeper nesting of entity references than libxml2 itself accepts.
const int k_max_nesting = 64;
// Elements nested deeper than this end any parse, however trusted its input:
// beyond it, the validator's and the caller's work per level adds up.
const std::size_t k_max_depth = 100000;
// libxml2's limit for untrusted input.
const std::size_t k_untrusted_depth = 256;

thread_local LoadState* t_load = nullptr;

bool is_predefined(const xmlChar* name, std::size_t n) {
    static const char* const names[] = {"amp", "lt", "gt", "quot", "apos"};
    for (const char* p : names)
        if (std::strlen(p) == n && std::memcmp(p, name, n) == 0)
            return true;
    return false;
}

// The expansions one reference to entity causes: itself and, recursively,
// every reference to a declared entity in its replacement text. References
// to the five predefined entities and character references expand nothing.
unsigned long long weight(LoadState& load, const xmlEntity* entity, int depth) {
    if (entity->etype != XML_INTERNAL_GENERAL_ENTITY || !entity->content)
        return 1;
    auto known = load.weights.find(entity);
    if (known != load.weights.end())
        return known->second;
    if (depth > k_max_nesting)
        return load.limit + 1;
    load.weights[entity] = 1; // a reference loop, which libxml2 reports itself
    unsigned long long total = 1;
    for (const xmlChar* p = entity->content; *p && total <= load.limit; ++p) {
        if (*p != '&' || p[1] == '#')
            continue;
        const xmlChar* name = p + 1;
        const xmlChar* end = name;
        while (*end && *end != ';')
            ++end;
        if (!*end)
            break;
        p = end;
        auto n = static_cast<std::size_t>(end - name);
        if (is_predefined(name, n))
            continue;
        std::string key(reinterpret_cast<const char*>(name), n);
        if (const xmlEntity* inner = xmlGetDocEntity(entity->doc, BAD_CAST key.c_str()))
            total += weight(load, inner, depth + 1);
    }
    load.weights[entity] = total;
    return total;
}

// True for a lookup inside the replacement text of a reference already
// counted, however libxml2 reads that text: in a parser context of its own,
// as an input stacked on the one the reference stands in, or (attribute
// values) at the very place of the reference. Each reference in the text
// read moves the parser on, so it is never taken for one of those.
bool nested(LoadState& load, xmlParserCtxtPtr ctxt) {
    if (ctxt != load.main)
        return true;
    const int depth = lxCompat::input_depth(ctxt);
    if (load.reference_depth > 0 && depth >= load.reference_depth) {
        lxCompat::Place at = lxCompat::place(ctxt, load.reference_depth - 1);
        if (at.input == load.reference.input && at.offset == load.reference.offset)
            return true;
    }
    load.reference = lxCompat::place(ctxt, depth - 1);
    load.reference_depth = depth;
    return false;
}

// Counts the replacement text of one reference; true when the expansion has
// grown out of proportion to the text read (the document and the external
// resources). libxml2 lets up to 10 MB through first, appending copy after
// copy to one text node at quadratic cost.
bool too_large(LoadState& load, const xmlEntity* entity) {
    load.expanded += static_cast<unsigned long long>(entity->length > 0 ? entity->length : 0);
    if (load.expanded <= k_free_expansion)
        return false;
    return load.expanded > 10 * (load.document_bytes + load.session->resource_bytes());
}

// Fails the load where the parser stands in the document (or the external
// subset it reads).
void stop(xmlParserCtxtPtr ctxt, const std::string& message) {
    LoadState* load = t_load;
    lxCompat::Place at = lxCompat::place(load->main, 0);
    load->session->fail(message, std::string(), at.line, at.column);
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

// Counts one lookup of a declared entity; false after stopping the parse.
bool count(xmlParserCtxtPtr ctxt, LoadState& load, const xmlEntity* entity, bool parameter) {
    if (entity->name == load.declared) {
        load.declared = nullptr;
        return true;
    }
    load.declared = nullptr;
    if (parameter) {
        ++load.expansions;
        load.reference_depth = 0; // the parser has moved on
    } else if (!nested(load, ctxt)) {
        load.expansions += weight(load, entity, 0);
    }
    if (load.expansions > load.limit) {
        stop(ctxt, "entity expansion limit of " + std::to_string(load.limit) + " exceeded");
        return false;
    }
    if (entity->etype == XML_INTERNAL_GENERAL_ENTITY && too_large(load, entity)) {
        stop(ctxt,
             "entity expansion of " + std::to_string(load.expanded) + " bytes is out of proportion to the document");
        return false;
    }
    return true;
}

// libxml2 calls these for references to declared entities only: the five
// predefined ones never reach them.
xmlEntityPtr get_entity(void* ctx, const xmlChar* name) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState* load = t_load;
    if (load->session->saturated()) {
        stop(ctxt, std::string());
        return nullptr;
    }
    xmlEntityPtr entity = xmlSAX2GetEntity(ctx, name);
    if (!entity || entity->etype == XML_INTERNAL_PREDEFINED_ENTITY)
        return entity;
    if (entity->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY && !may_load(ctxt, entity))
        return nullptr;
    return count(ctxt, *load, entity, false) ? entity : nullptr;
}

xmlEntityPtr get_parameter_entity(void* ctx, const xmlChar* name) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState* load = t_load;
    if (load->session->saturated()) {
        stop(ctxt, std::string());
        return nullptr;
    }
    xmlEntityPtr entity = xmlSAX2GetParameterEntity(ctx, name);
    if (!entity)
        return entity;
    if (entity->etype == XML_EXTERNAL_PARAMETER_ENTITY && !may_load(ctxt, entity))
        return nullptr;
    return count(ctxt, *load, entity, true) ? entity : nullptr;
}

void entity_declaration(void* ctx, const xmlChar* name, int type, const xmlChar* public_id, const xmlChar* system_id,
                        xmlChar* content) {
    xmlSAX2EntityDecl(ctx, name, type, public_id, system_id, content);
    t_load->declared = content ? name : nullptr;
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

// The same from the attributes of a start tag (localname, prefix, URI, value, end).
int space_attribute(int count, const xmlChar** attributes) {
    for (int i = 0; i < count; ++i, attributes += 5) {
        if (!attributes[2] || !xmlStrEqual(attributes[0], BAD_CAST "space") ||
            !xmlStrEqual(attributes[2], XML_XML_NAMESPACE))
            continue;
        auto n = static_cast<std::size_t>(attributes[4] - attributes[3]);
        if (n == 8 && std::memcmp(attributes[3], "preserve", 8) == 0)
            return 1;
        if (n == 7 && std::memcmp(attributes[3], "default", 7) == 0)
            return 0;
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
        if (child->type == XML_CDATA_SECTION_NODE || (child->type == XML_TEXT_NODE && !is_blank(child->content)))
            return;
        if (child->type != XML_TEXT_NODE)
            structured = true;
    }
    if (!structured)
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

// One walk over the elements of the finished document, honouring xml:space.
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

bool is_blank(const xmlChar* text, int n) {
    for (int i = 0; i < n; ++i)
        if (text[i] != ' ' && text[i] != '\t' && text[i] != '\n' && text[i] != '\r')
            return false;
    return true;
}

// Puts a held-back run back where it stood. Text that an entity's content
// put right after it takes the run in front, as the parser would have
// merged them.
void insert_blank(const LoadState& load, xmlNodePtr element, xmlNodePtr after, std::size_t offset, std::size_t length) {
    const char* run = load.blanks.data() + offset;
    xmlNodePtr next = after ? after->next : element->children;
    if (next && next->type == XML_TEXT_NODE && xmlStrEqual(next->name, BAD_CAST "text")) {
        std::string merged(run, length);
        if (next->content)
            merged += reinterpret_cast<const char*>(next->content);
        xmlNodeSetContentLen(next, BAD_CAST merged.data(), static_cast<int>(merged.size()));
        return;
    }
    xmlNodePtr text = xmlNewDocTextLen(element->doc, BAD_CAST run, static_cast<int>(length));
    if (!text)
        return;
    if (after)
        xmlAddNextSibling(after, text);
    else if (next)
        xmlAddPrevSibling(next, text);
    else
        xmlAddChild(element, text);
}

void restore_withdrawn(LoadState& load, OpenElement& open) {
    for (std::size_t i = open.withdrawn_begin; i < load.withdrawn.size(); ++i)
        insert_blank(load, open.node, load.withdrawn[i].after, load.withdrawn[i].offset, load.withdrawn[i].length);
    load.withdrawn.resize(open.withdrawn_begin);
}

// The pending run as the parser would have added it, at the end.
void flush_pending(xmlParserCtxtPtr ctxt, LoadState& load, OpenElement& open) {
    if (!open.pending)
        return;
    open.pending = false;
    const std::size_t length = load.blanks.size() - open.pending_offset;
    xmlSAX2Characters(ctxt, BAD_CAST load.blanks.data() + open.pending_offset, static_cast<int>(length));
}

// The innermost element when its white space is being tracked, before a
// callback changes its children; null when the callback just builds.
OpenElement* tracked(xmlParserCtxtPtr ctxt, LoadState& load) {
    OpenElement& open = load.open.back();
    if (!open.shaped || ctxt != load.main)
        return nullptr;
    if (open.node->last != open.known_last) {
        // An entity's content went in unseen: every run goes back in place
        // and the element's white space is settled when it ends.
        if (open.pending)
            insert_blank(load, open.node, open.pending_after, open.pending_offset,
                         load.blanks.size() - open.pending_offset);
        open.pending = false;
        restore_withdrawn(load, open);
        open.shaped = false;
        open.copied_into = true;
        return nullptr;
    }
    return &open;
}

// The element gains text beyond white space: its blank runs are content.
void turn_mixed(xmlParserCtxtPtr ctxt, LoadState& load, OpenElement& open) {
    open.mixed = true;
    flush_pending(ctxt, load, open);
    restore_withdrawn(load, open);
}

// A child other than text begins: a run before it is indentation unless
// text follows later.
OpenElement* before_child(xmlParserCtxtPtr ctxt, LoadState& load) {
    OpenElement* open = tracked(ctxt, load);
    if (open) {
        open->structured = true;
        if (open->pending) {
            load.withdrawn.push_back(
                {open->pending_after, open->pending_offset, load.blanks.size() - open->pending_offset});
            open->pending = false;
        }
    }
    return open;
}

void characters(void* ctx, const xmlChar* text, int n) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState& load = *t_load;
    OpenElement* open = tracked(ctxt, load);
    if (open && !open->mixed) {
        if (is_blank(text, n)) {
            if (!open->pending) {
                open->pending = true;
                open->pending_after = open->node->last;
                open->pending_offset = load.blanks.size();
            }
            load.blanks.append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(n));
            return;
        }
        turn_mixed(ctxt, load, *open);
    }
    xmlSAX2Characters(ctx, text, n);
    if (open)
        open->known_last = open->node->last;
}

void cdata_block(void* ctx, const xmlChar* text, int n) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState& load = *t_load;
    OpenElement* open = tracked(ctxt, load);
    if (open && !open->mixed)
        turn_mixed(ctxt, load, *open);
    xmlSAX2CDataBlock(ctx, text, n);
    if (open)
        open->known_last = open->node->last;
}

void comment(void* ctx, const xmlChar* text) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    OpenElement* open = before_child(ctxt, *t_load);
    xmlSAX2Comment(ctx, text);
    if (open)
        open->known_last = open->node->last;
}

void instruction(void* ctx, const xmlChar* target, const xmlChar* data) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    OpenElement* open = before_child(ctxt, *t_load);
    xmlSAX2ProcessingInstruction(ctx, target, data);
    if (open)
        open->known_last = open->node->last;
}

// Ends the parse at an element nested deeper than any parse may go.
// libxml2 ends untrusted input past 256 levels too, but where it looks
// depends on the release and on whether nodes are built; this guard comes
// first, so a load and a check end at the same element on every release.
bool too_deep(xmlParserCtxtPtr ctxt, LoadState& load) {
    ++load.depth;
    if (!load.huge_input && load.depth > k_untrusted_depth) {
        stop(ctxt,
             lxParseSession::lifted_by_huge_input("element nesting depth over " + std::to_string(k_untrusted_depth)));
        return true;
    }
    const std::size_t most = std::min(k_max_depth, lxCompat::max_trusted_depth);
    if (load.depth <= most)
        return false;
    stop(ctxt, "element nesting depth over " + std::to_string(most) + ", a limit even for trusted input");
    return true;
}

// Each element notes its namespaces when it starts.
void start_element(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri, int nb_namespaces,
                   const xmlChar** namespaces, int nb_attributes, int nb_defaulted, const xmlChar** attributes) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState& load = *t_load;
    if (too_deep(ctxt, load))
        return;
    OpenElement* parent = before_child(ctxt, load);
    xmlNodePtr before = ctxt->node;
    xmlSAX2StartElementNs(ctx, localname, prefix, uri, nb_namespaces, namespaces, nb_attributes, nb_defaulted,
                          attributes);
    if (parent)
        parent->known_last = parent->node->last;
    OpenElement open;
    int space = nb_attributes ? space_attribute(nb_attributes, attributes) : -1;
    open.preserve = space < 0 ? load.open.back().preserve : space == 1;
    open.node = ctxt->node != before ? ctxt->node : nullptr;
    open.shaped = open.node && !open.preserve && ctxt == load.main;
    open.withdrawn_begin = load.withdrawn.size();
    open.blanks_begin = load.blanks.size();
    load.open.push_back(open);
    if (ctxt != load.main)
        load.walk_after = true;
    else if (nb_namespaces && open.node && open.node->nsDef)
        lxSerializer::note_namespaces(open.node->doc, open.node);
}

void end_element(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState& load = *t_load;
    if (OpenElement* open = tracked(ctxt, load)) {
        // Blank runs stay as an element's only content.
        if (!open->structured)
            flush_pending(ctxt, load, *open);
    } else if (load.open.back().copied_into && !load.open.back().preserve) {
        drop_indentation_of(load.open.back().node);
    }
    --load.depth;
    if (load.open.size() > 1) {
        load.blanks.resize(load.open.back().blanks_begin);
        load.withdrawn.resize(load.open.back().withdrawn_begin);
        load.open.pop_back();
    }
    xmlSAX2EndElementNs(ctx, localname, prefix, uri);
}

// Checking without a tree. Building an element can fail only on an ID
// attribute (xml:id, or one the document type declares), so only elements
// with such a candidate are built, for libxml2 to check them as in a load,
// and each is freed when it ends; text, comments and instructions are never
// built. The content of an entity, parsed in a context of its own, is built
// as a load builds it: libxml2 then copies it at each later reference instead
// of parsing it again, and must find the same faults in the same places.
// Where no element is built, the parser adds (entity copies) to a holder
// node of the check's own, emptied at every element boundary. The holder is
// made the parser's current node without entering its stack of open
// elements (no public call does that), so it is made current again whenever
// the last built element is closed. It hangs from the document, which frees
// it: libxml2 frees the document of a failed parse itself. A check that has
// collected all the failures it may report ends at once.
void empty_holder(xmlParserCtxtPtr ctxt, LoadState& load) {
    if (!load.holder) {
        load.holder = xmlNewDocNode(ctxt->myDoc, nullptr, BAD_CAST "check", nullptr);
        if (load.holder)
            xmlAddChild(reinterpret_cast<xmlNodePtr>(ctxt->myDoc), load.holder);
    }
    if (!ctxt->node)
        ctxt->node = load.holder;
    while (ctxt->node == load.holder && load.holder && load.holder->children) {
        xmlNodePtr child = load.holder->children;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
}

bool enough(xmlParserCtxtPtr ctxt, LoadState& load) {
    if (!load.session->saturated())
        return false;
    stop(ctxt, std::string());
    return true;
}

void check_start(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri, int nb_namespaces,
                 const xmlChar** namespaces, int nb_attributes, int nb_defaulted, const xmlChar** attributes) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState& load = *t_load;
    if (too_deep(ctxt, load) || enough(ctxt, load))
        return;
    load.text_run = 0;
    if (ctxt != load.main) {
        xmlSAX2StartElementNs(ctx, localname, prefix, uri, nb_namespaces, namespaces, nb_attributes, nb_defaulted,
                              attributes);
        return;
    }
    empty_holder(ctxt, load);
    const xmlDoc* doc = ctxt->myDoc;
    bool build =
        doc && ((doc->intSubset && doc->intSubset->attributes) || (doc->extSubset && doc->extSubset->attributes));
    for (int i = 0; i < nb_attributes && !build; ++i)
        build = attributes[i * 5 + 2] && xmlStrEqual(attributes[i * 5], BAD_CAST "id") &&
                xmlStrEqual(attributes[i * 5 + 2], XML_XML_NAMESPACE);
    load.built.push_back(build && nb_attributes > 0);
    if (load.built.back())
        xmlSAX2StartElementNs(ctx, localname, prefix, uri, nb_namespaces, namespaces, nb_attributes, nb_defaulted,
                              attributes);
}

// An ID stays known once its element is freed, so that a later duplicate is still found.
void keep_ids(xmlNodePtr element) {
    for (xmlAttrPtr attribute = element->properties; attribute; attribute = attribute->next)
        if (attribute->atype == XML_ATTRIBUTE_ID && element->doc && element->doc->ids)
            lxCompat::keep_id(element->doc, attribute);
}

void check_end(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    LoadState& load = *t_load;
    --load.depth;
    load.text_run = 0;
    if (ctxt != load.main) {
        xmlSAX2EndElementNs(ctx, localname, prefix, uri);
        return;
    }
    const bool built = !load.built.empty() && load.built.back();
    if (!load.built.empty())
        load.built.pop_back();
    xmlNodePtr node = ctxt->node;
    if (built)
        xmlSAX2EndElementNs(ctx, localname, prefix, uri);
    if (built && node && node != ctxt->node && node->type == XML_ELEMENT_NODE) {
        keep_ids(node);
        xmlUnlinkNode(node);
        xmlFreeNode(node);
    }
    empty_holder(ctxt, load);
    enough(ctxt, load);
}

// The size check libxml2 makes where it adds text to a text node.
void check_text(void* ctx, const xmlChar* text, int n) {
    LoadState& load = *t_load;
    if (ctx != load.main) {
        xmlSAX2Characters(ctx, text, n);
        return;
    }
    const auto length = static_cast<std::size_t>(n);
    if (!load.huge_input && load.text_run > 0 && load.text_run + length > lxCompat::max_text_length) {
        stop(static_cast<xmlParserCtxtPtr>(ctx),
             lxParseSession::lifted_by_huge_input("a text longer than " + std::to_string(lxCompat::max_text_length) +
                                                  " bytes"));
        return;
    }
    load.text_run += length;
}

// CDATA, comments and instructions each end a run of text.
void check_cdata(void* ctx, const xmlChar* text, int n) {
    t_load->text_run = 0;
    if (ctx != t_load->main)
        xmlSAX2CDataBlock(ctx, text, n);
}
void check_comment(void* ctx, const xmlChar* text) {
    t_load->text_run = 0;
    if (ctx != t_load->main)
        xmlSAX2Comment(ctx, text);
}
void check_instruction(void* ctx, const xmlChar* target, const xmlChar* data) {
    t_load->text_run = 0;
    if (ctx != t_load->main)
        xmlSAX2ProcessingInstruction(ctx, target, data);
}

// Compiles (or finds) the schemas the options name and plugs a validator
// into the parser's callbacks, so that each fault is reported where the
// parser stands. Null after reporting the reason to session.
struct Validation {
    std::shared_ptr<xmlSchema> schema;
    xmlSchemaValidCtxtPtr validator = nullptr;
    xmlSchemaSAXPlugPtr plug = nullptr;

    bool start(xmlParserCtxtPtr ctxt, const omLoadOptions& options, lxSchemaCache& schemas, lxParseSession& session) {
        schema = schemas.get(options, session);
        if (!schema)
            return false;
        validator = xmlSchemaNewValidCtxt(schema.get());
        if (validator) {
            xmlSchemaSetValidStructuredErrors(validator, &lxParseSession::report, nullptr);
            plug = xmlSchemaSAXPlug(validator, &ctxt->sax, &ctxt->userData);
        }
        if (!plug) {
            session.fail("out of memory");
            return false;
        }
        session.set_position(ctxt);
        return true;
    }
    // Whether the document met the schemas.
    bool finish(lxParseSession& session) {
        session.set_position(nullptr);
        int unplugged = plug ? xmlSchemaSAXUnplug(plug) : -1;
        plug = nullptr;
        return unplugged == 0 && validator && xmlSchemaIsValid(validator) == 1;
    }
    ~Validation() {
        if (plug)
            xmlSchemaSAXUnplug(plug);
        if (validator)
            xmlSchemaFreeValidCtxt(validator);
    }
};

// The document's bytes as the parser asks for them, counted.
struct Source {
    xmlInputReadCallback read;
    void* context;
    unsigned long long* delivered;
};

int read_counted(void* context, char* buffer, int len) {
    auto* source = static_cast<Source*>(context);
    int n = source->read(source->context, buffer, len);
    if (n > 0)
        *source->delivered += static_cast<unsigned long long>(n);
    return n;
}

// Parses the text that read delivers from context, validating and shaping
// the tree as it is built.
xmlDocPtr parse(xmlInputReadCallback read, void* context, const std::string& url, const omLoadOptions& options,
                lxSchemaCache& schemas, omParseError& error, const lxLoadMode& mode) {
    lxParseSession session(options.disable_entity_resolution() ? lxParseSession::no_resources
                                                               : lxParseSession::local_files);
    session.set_max_failures(mode.further ? mode.max_errors : 1);
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        session.fail("out of memory");
        session.fill(error, url);
        return nullptr;
    }
    int parse_options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_COMPACT;
    if (!options.disable_entity_resolution())
        parse_options |= XML_PARSE_DTDLOAD;
    if (mode.huge_input)
        parse_options |= XML_PARSE_HUGE;
    session.attach(ctxt);
    ctxt->sax->getEntity = &get_entity;
    ctxt->sax->getParameterEntity = &get_parameter_entity;
    ctxt->sax->entityDecl = &entity_declaration;
    ctxt->sax->reference = &unresolved_reference;
    // A load builds the tree; a check only watches the events go by.
    const bool tree = mode.keep_tree;
    ctxt->sax->startElementNs = tree ? &start_element : &check_start;
    ctxt->sax->endElementNs = tree ? &end_element : &check_end;
    ctxt->sax->characters = tree ? &characters : &check_text;
    ctxt->sax->ignorableWhitespace = tree ? &characters : &check_text;
    ctxt->sax->cdataBlock = tree ? &cdata_block : &check_cdata;
    ctxt->sax->comment = tree ? &comment : &check_comment;
    ctxt->sax->processingInstruction = tree ? &instruction : &check_instruction;

    int limit = options.entity_expansion_limit();
    LoadState state;
    state.session = &session;
    state.main = ctxt;
    state.limit = limit > 0 ? static_cast<unsigned long long>(limit) : 0ULL;
    state.resolve_external = !options.disable_entity_resolution();
    state.huge_input = mode.huge_input;
    LoadState* outer = t_load;
    t_load = &state;

    Source source{read, context, &state.document_bytes};
    xmlDocPtr doc = nullptr;
    Validation validation;
    // Validating while parsing, libxml2 parses an entity's content again
    // at each reference, through the callbacks, into the tree.
    const bool validating = lxSchemaCache::wanted(options);
    if (!validating || validation.start(ctxt, options, schemas, session))
        doc = xmlCtxtReadIO(ctxt, &read_counted, nullptr, &source, url.empty() ? nullptr : url.c_str(), nullptr,
                            parse_options);
    if (validating && !validation.finish(session) && !session.failed())
        session.fail("the document is not valid against its schemas");
    if (!session.failed() && !doc)
        session.fail("the document is not well-formed");
    t_load = outer;
    xmlFreeParserCtxt(ctxt);

    if (!doc || session.failed()) {
        if (doc)
            xmlFreeDoc(doc);
        session.fill(error, url);
        if (mode.further)
            session.fill_further(*mode.further, url);
        return nullptr;
    }
    if (doc->URL)
        xmlFree(const_cast<xmlChar*>(doc->URL));
    doc->URL = url.empty() ? nullptr : xmlStrdup(BAD_CAST url.c_str());
    if (state.walk_after)
        drop_indentation(doc);
    return doc;
}

// Hands the parser the caller's bytes piece by piece, without a copy of the whole text.
struct MemoryText {
    const char* next;
    std::size_t left;
};

int read_memory(void* context, char* buffer, int len) {
    auto* text = static_cast<MemoryText*>(context);
    std::size_t n = text->left < static_cast<std::size_t>(len) ? text->left : static_cast<std::size_t>(len);
    std::memcpy(buffer, text->next, n);
    text->next += n;
    text->left -= n;
    return static_cast<int>(n);
}

int read_file(void* context, char* buffer, int len) {
    return lxFile::read_some(*static_cast<int*>(context), buffer, len);
}

} // namespace

xmlDocPtr lxLoader::load(const char* data, std::size_t size, const omLoadOptions& options, lxSchemaCache& schemas,
                         omParseError& error, const lxLoadMode& mode) {
    error = omParseError();
    if (size == 0) {
        error = omParseError(SYSTRING("Document is empty"));
        return nullptr;
    }
    MemoryText text{data, size};
    return parse(&read_memory, &text, std::string(), options, schemas, error, mode);
}

xmlDocPtr lxLoader::load_file(const std::string& path, const omLoadOptions& options, lxSchemaCache& schemas,
                              omParseError& error, const lxLoadMode& mode) {
    error = omParseError();
    std::string reason;
    int fd = lxFile::open_for_reading(path, reason);
    if (fd < 0) {
        std::string message = "cannot read '" + path + "': " + reason;
        error = omParseError(lxString::from_xml(message.data(), message.size()));
        error.set_url(lxString::from_xml(path.data(), path.size()));
        return nullptr;
    }
    xmlDocPtr doc = parse(&read_file, &fd, path, options, schemas, error, mode);
    lxFile::close(fd);
    return doc;
}
