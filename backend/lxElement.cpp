#include "backend/lxElement.h"

#include <cstring>

#include <libxml/xpath.h>

#include "backend/lxAttribute.h"
#include "backend/lxCompat.h"
#include "backend/lxNodeList.h"
#include "backend/lxString.h"
#include "platform/syAssert.h"
#include "platform/syThreadSlot.h"

namespace {

void ignore_xpath_error(void*, lxCompat::Error) {}

void free_xpath_context(void* context) { xmlXPathFreeContext(static_cast<xmlXPathContextPtr>(context)); }

// One XPath context per thread, lent to each evaluation on that thread for
// whatever document it reads: evaluations on other threads, over the same
// document or not, never see it, and no evaluation pays for a new context.
// A platform slot frees it when the thread ends: a thread_local object with
// a destructor is not safe at thread exit in a Windows DLL.
xmlXPathContextPtr thread_xpath_context() {
    static syThreadSlot slot(&free_xpath_context);
    auto* context = static_cast<xmlXPathContextPtr>(slot.get());
    if (!context) {
        context = xmlXPathNewContext(nullptr);
        if (context) {
            context->error = &ignore_xpath_error;
            slot.set(context);
        }
    }
    return context;
}

} // namespace

lxElement::lxElement(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node)
    : lxNodeImpl<omElement>(std::move(owner), node) {}

syString lxElement::getTagName() { return getNodeName(); }

syString lxElement::getAttribute(const syString& name) {
    xmlAttrPtr attribute = lxAttribute::find(m_node, name.to_utf8());
    return attribute ? lxAttribute::value(attribute) : syString();
}

void lxElement::setAttribute(const syString& name, const syString& value) { lxAttribute::set(m_node, name, value); }

void lxElement::removeAttribute(const syString& name) { lxAttribute::remove(*m_owner, m_node, name); }

bool lxElement::hasAttribute(const syString& name) { return lxAttribute::find(m_node, name.to_utf8()) != nullptr; }

std::shared_ptr<omNodeList> lxElement::selectNodes(const syString& xpath) {
    return std::make_shared<lxNodeList>(m_owner, select(*m_owner, m_node, xpath));
}

std::shared_ptr<omElement> lxElement::selectSingleNode(const syString& xpath) {
    std::vector<xmlNodePtr> nodes = select(*m_owner, m_node, xpath);
    return nodes.empty() ? nullptr : m_owner->item(nodes.front());
}

std::shared_ptr<omNode> lxElement::getAttributeNode(const syString& name) {
    return m_owner->node(reinterpret_cast<xmlNodePtr>(lxAttribute::find(m_node, name.to_utf8())));
}

std::shared_ptr<omNode> lxElement::setAttributeNode(std::shared_ptr<omNode> attribute) {
    return lxAttribute::put(m_owner, m_node, attribute);
}

std::shared_ptr<omNode> lxElement::removeAttributeNode(std::shared_ptr<omNode> attribute) {
    const lxNodeRef* ref = lxNodeRef::of(attribute.get());
    bool attribute_of_this_element =
        ref && ref->xml_node()->type == XML_ATTRIBUTE_NODE && ref->xml_node()->parent == m_node;
    SY_ASSERT(attribute_of_this_element);
    if (!attribute_of_this_element)
        return nullptr;
    xmlUnlinkNode(ref->xml_node());
    m_owner->keep_detached(ref->xml_node());
    return attribute;
}

std::shared_ptr<omNodeList> lxElement::getElementsByTagName(const syString& name) {
    return std::make_shared<lxNodeList>(m_owner, elements_named(m_node, name));
}

void lxElement::normalize() {
    if (m_node->type != XML_ELEMENT_NODE)
        return;
    xmlNodePtr node = m_node->children;
    while (node && node != m_node) {
        if (node->type == XML_TEXT_NODE) {
            xmlNodePtr previous = node->prev;
            bool empty = !node->content || !*node->content;
            if (empty || (previous && previous->type == XML_TEXT_NODE)) {
                if (!empty)
                    xmlTextConcat(previous, node->content,
                                  static_cast<int>(std::strlen(reinterpret_cast<const char*>(node->content))));
                xmlNodePtr next = node->next;
                xmlNodePtr parent = node->parent;
                xmlUnlinkNode(node);
                m_owner->discard(node);
                if (next) {
                    node = next;
                    continue;
                }
                node = parent;
                while (node != m_node && !node->next)
                    node = node->parent;
                node = node == m_node ? nullptr : node->next;
                continue;
            }
        }
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node != m_node && !node->next)
            node = node->parent;
        node = node == m_node ? nullptr : node->next;
    }
}

std::vector<xmlNodePtr> lxElement::elements_named(xmlNodePtr top, const syString& name) {
    std::vector<xmlNodePtr> found;
    if (top->type != XML_ELEMENT_NODE && top->type != XML_DOCUMENT_NODE)
        return found;
    std::string qname = name.to_utf8();
    bool all = qname == "*";
    std::size_t colon = qname.find(':');
    std::string prefix = colon == std::string::npos ? std::string() : qname.substr(0, colon);
    const xmlChar* local = lxString::xml(qname) + (colon == std::string::npos ? 0 : colon + 1);
    // Parsed documents keep element names in their dictionary: most compare by address.
    const xmlChar* interned = top->doc && top->doc->dict ? xmlDictExists(top->doc->dict, local, -1) : nullptr;
    xmlNodePtr node = top->children;
    while (node && node != top) {
        if (node->type == XML_ELEMENT_NODE) {
            if (all) {
                found.push_back(node);
            } else if (node->name == interned || xmlStrEqual(node->name, local)) {
                const xmlChar* node_prefix = node->ns ? node->ns->prefix : nullptr;
                if (colon == std::string::npos ? !node_prefix
                                               : node_prefix && xmlStrEqual(node_prefix, lxString::xml(prefix)))
                    found.push_back(node);
            }
            if (node->children) {
                node = node->children;
                continue;
            }
        }
        while (node != top && !node->next)
            node = node->parent;
        node = node == top ? nullptr : node->next;
    }
    return found;
}

std::vector<xmlNodePtr> lxElement::select(lxDocumentOwner& owner, xmlNodePtr context, const syString& xpath) {
    std::vector<xmlNodePtr> nodes;
    xmlXPathContextPtr x = thread_xpath_context();
    if (!x)
        return nodes;
    std::string expression = xpath.to_utf8();
    xmlNsPtr* namespaces = nullptr;
    if (expression.find(':') != std::string::npos && context->type != XML_DOCUMENT_NODE) {
        // Prefixes in the expression mean what they mean at the context node.
        namespaces = xmlGetNsList(owner.doc(), context);
        int count = 0;
        while (namespaces && namespaces[count])
            ++count;
        x->namespaces = namespaces;
        x->nsNr = count;
    }
    x->doc = owner.doc();
    x->node = context;
    xmlXPathObjectPtr result = xmlXPathEval(lxString::xml(expression), x);
    x->doc = nullptr;
    x->node = nullptr;
    x->namespaces = nullptr;
    x->nsNr = 0;
    if (namespaces)
        xmlFree(namespaces);
    if (!result)
        return nodes;
    if (result->type == XPATH_NODESET && result->nodesetval) {
        nodes.reserve(static_cast<std::size_t>(result->nodesetval->nodeNr));
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            xmlNodePtr node = result->nodesetval->nodeTab[i];
            // Namespace nodes are copies that die with the result.
            if (node && node->type != XML_NAMESPACE_DECL)
                nodes.push_back(node);
        }
    }
    xmlXPathFreeObject(result);
    return nodes;
}
