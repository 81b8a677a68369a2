#include "backend/lxNode.h"

#include <cstring>
#include <string>
#include <vector>

#include "backend/lxAttribute.h"
#include "backend/lxNamedNodeMap.h"
#include "backend/lxNodeList.h"
#include "backend/lxSerializer.h"
#include "backend/lxString.h"
#include "platform/syAssert.h"

namespace {

bool is_container(const xmlNode* node) { return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE; }

// The first child as the model sees it: only elements and documents have children.
xmlNodePtr first_child(const xmlNode* node) { return is_container(node) ? node->children : nullptr; }

xmlNodePtr last_child(const xmlNode* node) { return is_container(node) ? node->last : nullptr; }

syString qualified_name(const xmlNode* node) {
    if (!node->name)
        return syString();
    if (!node->ns || !node->ns->prefix)
        return lxString::from_xml(node->name);
    std::string name = reinterpret_cast<const char*>(node->ns->prefix);
    name += ':';
    name += reinterpret_cast<const char*>(node->name);
    return lxString::from_xml(name.data(), name.size());
}

syString content_of(const xmlNode* node) {
    if (node->type == XML_ATTRIBUTE_NODE)
        return lxAttribute::value(reinterpret_cast<const xmlAttr*>(node));
    return lxString::from_xml(node->content);
}

// Text of the text and CDATA nodes below node, in document order.
syString descendant_text(const xmlNode* top) {
    std::wstring out;
    const xmlNode* node = top->children;
    while (node && node != top) {
        if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) && node->content) {
            const char* text = reinterpret_cast<const char*>(node->content);
            lxString::append(out, text, std::strlen(text));
        }
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node != top && !node->next)
            node = node->parent;
        if (node == top)
            break;
        node = node->next;
    }
    return syString(std::move(out));
}

// Text escaped for character content: "&", "<" and ">", and a carriage
// return, which a parser would otherwise turn into a line feed.
syString escaped_text(const xmlChar* content) {
    syString text = lxString::from_xml(content);
    std::wstring out;
    out.reserve(text.length());
    for (wchar_t c : text.wstr()) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'\r':
            out += L"&#13;";
            break;
        default:
            out += c;
        }
    }
    return syString(std::move(out));
}

bool is_ancestor_or_self(const xmlNode* candidate, const xmlNode* node) {
    for (const xmlNode* n = node; n; n = n->parent)
        if (n == candidate)
            return true;
    return false;
}

// Whether child may stand among the children of parent; replacing is the
// child that it is about to take the place of, if any.
bool can_insert(const xmlNode* parent, const xmlNode* child, const xmlNode* replacing) {
    if (!is_container(parent) || is_ancestor_or_self(child, parent) || child->doc != parent->doc)
        return false;
    switch (child->type) {
    case XML_ELEMENT_NODE:
        if (parent->type == XML_DOCUMENT_NODE) {
            // A document holds one element.
            for (const xmlNode* c = parent->children; c; c = c->next)
                if (c->type == XML_ELEMENT_NODE && c != replacing && c != child)
                    return false;
        }
        return true;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return parent->type == XML_ELEMENT_NODE;
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        return true;
    default:
        return false;
    }
}

// Puts node among the children of parent, before ref (at the end when ref is
// null). Done by hand: libxml2's own insertion merges adjacent text nodes and
// frees the one inserted, which a handle may still refer to.
void link_before(xmlNodePtr parent, xmlNodePtr node, xmlNodePtr ref) {
    node->parent = parent;
    node->next = ref;
    if (ref) {
        node->prev = ref->prev;
        if (ref->prev)
            ref->prev->next = node;
        else
            parent->children = node;
        ref->prev = node;
    } else {
        node->prev = parent->last;
        if (parent->last)
            parent->last->next = node;
        else
            parent->children = node;
        parent->last = node;
    }
}

// The node behind a handle of this document, or null.
xmlNodePtr node_of(const std::shared_ptr<omNode>& handle, const std::shared_ptr<lxDocumentOwner>& owner) {
    const lxNodeRef* ref = lxNodeRef::of(handle.get());
    if (!ref || ref->owner() != owner)
        return nullptr;
    return ref->xml_node();
}

// Moves child (detached or elsewhere in the tree) before ref under parent.
void move_before(lxDocumentOwner& owner, xmlNodePtr parent, xmlNodePtr child, xmlNodePtr ref) {
    if (child->parent)
        xmlUnlinkNode(child);
    owner.untrack(child);
    link_before(parent, child, ref);
    if (child->type == XML_ELEMENT_NODE)
        xmlReconciliateNs(owner.doc(), child);
}

} // namespace

lxNodeRef::lxNodeRef(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node)
    : m_owner(std::move(owner)), m_node(node) {
    lxDocumentOwner::acquire(m_node);
}

lxNodeRef::~lxNodeRef() { lxDocumentOwner::release(m_node); }

const lxNodeRef* lxNodeRef::of(const omNode* node) { return dynamic_cast<const lxNodeRef*>(node); }

template <class Interface>
lxNodeImpl<Interface>::lxNodeImpl(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node)
    : lxNodeRef(std::move(owner), node) {}

template <class Interface>
lxNodeImpl<Interface>::~lxNodeImpl() = default;

template <class Interface>
syString lxNodeImpl<Interface>::getNodeName() {
    switch (m_node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        return qualified_name(m_node);
    case XML_TEXT_NODE:
        return SYSTRING("#text");
    case XML_CDATA_SECTION_NODE:
        return SYSTRING("#cdata-section");
    case XML_COMMENT_NODE:
        return SYSTRING("#comment");
    case XML_DOCUMENT_NODE:
        return SYSTRING("#document");
    default:
        return lxString::from_xml(m_node->name);
    }
}

template <class Interface>
syString lxNodeImpl<Interface>::getNodeValue() {
    switch (m_node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
    case XML_ATTRIBUTE_NODE:
        return content_of(m_node);
    default:
        return syString();
    }
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::getParentNode() {
    if (m_node->type == XML_ATTRIBUTE_NODE || !m_node->parent)
        return nullptr;
    return m_owner->node(m_node->parent);
}

template <class Interface>
std::shared_ptr<omNodeList> lxNodeImpl<Interface>::getChildNodes() {
    std::vector<xmlNodePtr> children;
    for (xmlNodePtr child = first_child(m_node); child; child = child->next)
        children.push_back(child);
    return std::make_shared<lxNodeList>(m_owner, std::move(children));
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::getFirstChild() {
    xmlNodePtr first = first_child(m_node);
    bool node_has_children = first != nullptr;
    SY_ASSERT(node_has_children);
    return m_owner->node(first);
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::getLastChild() {
    return m_owner->node(last_child(m_node));
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::getPreviousSibling() {
    if (m_node->type == XML_ATTRIBUTE_NODE)
        return nullptr;
    return m_owner->node(m_node->prev);
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::getNextSibling() {
    if (m_node->type == XML_ATTRIBUTE_NODE)
        return nullptr;
    return m_owner->node(m_node->next);
}

template <class Interface>
std::shared_ptr<omDocument> lxNodeImpl<Interface>::getOwnerDocument() {
    if (m_node->type == XML_DOCUMENT_NODE)
        return nullptr;
    return m_owner->document();
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::insertBefore(std::shared_ptr<omNode> newChild,
                                                            std::shared_ptr<omNode> refChild) {
    xmlNodePtr child = node_of(newChild, m_owner);
    bool new_child_of_this_document = child != nullptr;
    SY_ASSERT(new_child_of_this_document);
    if (!child)
        return nullptr;
    xmlNodePtr ref = nullptr;
    if (refChild) {
        ref = node_of(refChild, m_owner);
        if (!ref || ref->parent != m_node || ref->type == XML_ATTRIBUTE_NODE)
            return nullptr;
    }
    bool insertable = can_insert(m_node, child, nullptr);
    SY_ASSERT(insertable);
    if (!insertable)
        return nullptr;
    if (child != ref)
        move_before(*m_owner, m_node, child, ref);
    return newChild;
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::replaceChild(std::shared_ptr<omNode> newChild,
                                                            std::shared_ptr<omNode> oldChild) {
    xmlNodePtr old = node_of(oldChild, m_owner);
    if (!old || old->parent != m_node || old->type == XML_ATTRIBUTE_NODE)
        return nullptr;
    xmlNodePtr child = node_of(newChild, m_owner);
    bool new_child_of_this_document = child != nullptr;
    SY_ASSERT(new_child_of_this_document);
    if (!child)
        return nullptr;
    if (child == old)
        return oldChild;
    bool insertable = can_insert(m_node, child, old);
    SY_ASSERT(insertable);
    if (!insertable)
        return nullptr;
    move_before(*m_owner, m_node, child, old);
    xmlUnlinkNode(old);
    m_owner->keep_detached(old);
    return oldChild;
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::removeChild(std::shared_ptr<omNode> oldChild) {
    xmlNodePtr old = node_of(oldChild, m_owner);
    if (!old || old->parent != m_node || old->type == XML_ATTRIBUTE_NODE)
        return nullptr;
    xmlUnlinkNode(old);
    m_owner->keep_detached(old);
    return oldChild;
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::appendChild(std::shared_ptr<omNode> newChild) {
    return insertBefore(std::move(newChild), nullptr);
}

template <class Interface>
bool lxNodeImpl<Interface>::hasChildNodes() {
    return first_child(m_node) != nullptr;
}

template <class Interface>
std::shared_ptr<omNode> lxNodeImpl<Interface>::cloneNode(bool deep) {
    xmlDocPtr doc = m_owner->doc();
    if (m_node->type == XML_DOCUMENT_NODE) {
        xmlDocPtr copy = xmlCopyDoc(doc, deep ? 1 : 0);
        if (!copy)
            return nullptr;
        return std::make_shared<lxDocumentOwner>(copy)->document();
    }
    xmlNodePtr copy = nullptr;
    if (m_node->type == XML_ATTRIBUTE_NODE) {
        // A detached attribute cannot carry a namespace declaration: the copy keeps the prefixed name.
        std::string name = qualified_name(m_node).to_utf8();
        std::string value = lxAttribute::value(reinterpret_cast<xmlAttrPtr>(m_node)).to_utf8();
        xmlAttrPtr attribute = xmlNewDocProp(doc, lxString::xml(name), nullptr);
        if (attribute)
            lxAttribute::set_value(attribute, value);
        copy = reinterpret_cast<xmlNodePtr>(attribute);
    } else {
        // Extended mode 2 copies an element's attributes and namespaces but not its children.
        copy = xmlDocCopyNode(m_node, doc, deep ? 1 : 2);
    }
    if (!copy)
        return nullptr;
    lxDocumentOwner::clear_references(copy);
    m_owner->track_detached(copy);
    return m_owner->node(copy);
}

template <class Interface>
bool lxNodeImpl<Interface>::hasAttributes() {
    return m_node->type == XML_ELEMENT_NODE && m_node->properties != nullptr;
}

template <class Interface>
std::shared_ptr<omNamedNodeMap> lxNodeImpl<Interface>::getAttributes() const {
    if (m_node->type != XML_ELEMENT_NODE)
        return nullptr;
    return std::make_shared<lxNamedNodeMap>(m_owner, m_node);
}

template <class Interface>
bool lxNodeImpl<Interface>::operator==(const omNode& other) const {
    const lxNodeRef* ref = lxNodeRef::of(&other);
    return ref && ref->xml_node() == m_node;
}

template <class Interface>
bool lxNodeImpl<Interface>::set_attribute(const syString& name, const syString& value) {
    if (m_node->type != XML_ELEMENT_NODE)
        return false;
    return omNode::set_attribute(name, value);
}

template <class Interface>
syString lxNodeImpl<Interface>::get_text() {
    switch (m_node->type) {
    case XML_ELEMENT_NODE:
    case XML_DOCUMENT_NODE:
        return descendant_text(m_node);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
    case XML_ATTRIBUTE_NODE:
        return content_of(m_node);
    default:
        return syString();
    }
}

template <class Interface>
void lxNodeImpl<Interface>::set_text(const syString& text) {
    std::string value = text.to_utf8();
    switch (m_node->type) {
    case XML_ELEMENT_NODE: {
        while (xmlNodePtr child = m_node->children) {
            xmlUnlinkNode(child);
            m_owner->discard(child);
        }
        xmlNodePtr node = xmlNewDocText(m_owner->doc(), lxString::xml(value));
        if (node)
            link_before(m_node, node, nullptr);
        break;
    }
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        xmlNodeSetContent(m_node, lxString::xml(value));
        break;
    case XML_ATTRIBUTE_NODE:
        lxAttribute::set_value(reinterpret_cast<xmlAttrPtr>(m_node), value);
        break;
    default:
        break; // a document keeps its structure
    }
}

template <class Interface>
syString lxNodeImpl<Interface>::get_xml() {
    switch (m_node->type) {
    case XML_TEXT_NODE:
        return escaped_text(m_node->content);
    case XML_COMMENT_NODE:
        return SYSTRING("<!--") + lxString::from_xml(m_node->content) + SYSTRING("-->");
    case XML_DOCUMENT_NODE:
        return lxSerializer::document_xml(m_owner->doc());
    default:
        return lxSerializer::node_xml(m_node);
    }
}

template class lxNodeImpl<omElement>;
template class lxNodeImpl<omTextNode>;
template class lxNodeImpl<omCommentNode>;
template class lxNodeImpl<omProcessingInstruction>;
template class lxNodeImpl<omDocument>;
template class lxNodeImpl<omNode>;
