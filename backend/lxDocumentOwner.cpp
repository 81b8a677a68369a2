#include "backend/lxDocumentOwner.h"

#include <cstring>

#include "backend/lxAttribute.h"
#include "backend/lxCharacterData.h"
#include "backend/lxDocument.h"
#include "backend/lxElement.h"
#include "backend/lxProcessingInstruction.h"
#include "backend/lxSerializer.h"
#include "backend/lxTreeWalk.h"

lxDocumentOwner::lxDocumentOwner(xmlDocPtr doc) : m_doc(doc) {
    if (m_doc)
        lxSerializer::prepare(m_doc);
}

lxDocumentOwner::~lxDocumentOwner() {
    for (xmlNodePtr node : m_detached) {
        if (node->parent)
            continue;
        if (node->type == XML_ATTRIBUTE_NODE)
            xmlFreeProp(reinterpret_cast<xmlAttrPtr>(node));
        else
            xmlFreeNode(node);
    }
    if (m_detached_ns)
        xmlFreeNsList(m_detached_ns);
    xmlFreeDoc(m_doc);
}

std::shared_ptr<omNode> lxDocumentOwner::node(xmlNodePtr node) {
    if (!node)
        return nullptr;
    switch (node->type) {
    case XML_ELEMENT_NODE:
        return std::make_shared<lxElement>(shared_from_this(), node);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return std::make_shared<lxTextNode>(shared_from_this(), node);
    case XML_COMMENT_NODE:
        return std::make_shared<lxCommentNode>(shared_from_this(), node);
    case XML_PI_NODE:
        return std::make_shared<lxProcessingInstruction>(shared_from_this(), node);
    case XML_ATTRIBUTE_NODE:
        return std::make_shared<lxAttribute>(shared_from_this(), node);
    case XML_DOCUMENT_NODE:
        return document();
    default:
        return std::make_shared<lxElement>(shared_from_this(), node);
    }
}

std::shared_ptr<omElement> lxDocumentOwner::item(xmlNodePtr node) {
    if (!node)
        return nullptr;
    return std::make_shared<lxElement>(shared_from_this(), node);
}

std::shared_ptr<omDocument> lxDocumentOwner::document() {
    return std::make_shared<lxDocument>(shared_from_this(), reinterpret_cast<xmlNodePtr>(m_doc));
}

void lxDocumentOwner::track_detached(xmlNodePtr node) { m_detached.insert(node); }

void lxDocumentOwner::untrack(xmlNodePtr node) { m_detached.erase(node); }

void lxDocumentOwner::keep_detached(xmlNodePtr node) {
    if (node->type == XML_ELEMENT_NODE) {
        // Declarations the subtree relies on move onto its top.
        xmlReconciliateNs(m_doc, node);
    } else if (node->type == XML_ATTRIBUTE_NODE && node->ns && node->ns != m_doc->oldNs) {
        xmlNsPtr ns = m_detached_ns;
        while (ns && !(xmlStrEqual(ns->href, node->ns->href) && xmlStrEqual(ns->prefix, node->ns->prefix)))
            ns = ns->next;
        if (!ns) {
            ns = xmlNewNs(nullptr, node->ns->href, node->ns->prefix);
            if (ns) {
                ns->next = m_detached_ns;
                m_detached_ns = ns;
            }
        }
        node->ns = ns;
    }
    track_detached(node);
}

void lxDocumentOwner::discard(xmlNodePtr node) {
    if (m_live_lists.load(std::memory_order_acquire) > 0 || referenced_subtree(node)) {
        keep_detached(node);
        return;
    }
    untrack(node);
    if (node->type == XML_ATTRIBUTE_NODE)
        xmlFreeProp(reinterpret_cast<xmlAttrPtr>(node));
    else
        xmlFreeNode(node);
}

bool lxDocumentOwner::referenced_subtree(xmlNodePtr node) {
    return lx_walk_subtree(node, [](xmlNodePtr n) {
        if (referenced(n))
            return true;
        if (n->type == XML_ELEMENT_NODE)
            for (xmlAttrPtr a = n->properties; a; a = a->next)
                if (referenced(reinterpret_cast<xmlNodePtr>(a)))
                    return true;
        return false;
    });
}

void lxDocumentOwner::clear_references(xmlNodePtr node) {
    lx_walk_subtree(node, [](xmlNodePtr n) {
        __atomic_store_n(count_of(n), 0, __ATOMIC_RELAXED);
        if (n->type == XML_ELEMENT_NODE)
            for (xmlAttrPtr a = n->properties; a; a = a->next)
                __atomic_store_n(count_of(reinterpret_cast<xmlNodePtr>(a)), 0, __ATOMIC_RELAXED);
        return false;
    });
}
