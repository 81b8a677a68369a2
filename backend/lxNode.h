#pragma once

#include <memory>

#include <libxml/tree.h>

#include "backend/lxDocumentOwner.h"
#include "dom/omCharacterData.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNode.h"
#include "dom/omProcessingInstruction.h"

// What every node handle holds: the libxml2 node and a share of the document
// owner. Node identity is the identity of the libxml2 node.
class lxNodeRef {
public:
    lxNodeRef(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node);
    lxNodeRef(const lxNodeRef&) = delete;
    lxNodeRef& operator=(const lxNodeRef&) = delete;
    virtual ~lxNodeRef();

    xmlNodePtr xml_node() const { return m_node; }
    const std::shared_ptr<lxDocumentOwner>& owner() const { return m_owner; }

    // The handle state behind a node of this back-end, or null for a foreign node.
    static const lxNodeRef* of(const omNode* node);

protected:
    std::shared_ptr<lxDocumentOwner> m_owner;
    xmlNodePtr m_node;
};

// The omNode operations over a libxml2 node, for each interface a handle
// class exposes (element, text, comment, processing instruction, document,
// attribute).
template <class Interface>
class lxNodeImpl : public Interface, public lxNodeRef {
public:
    lxNodeImpl(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node);
    ~lxNodeImpl() override;

    syString getNodeName() override;
    syString getNodeValue() override;
    std::shared_ptr<omNode> getParentNode() override;
    std::shared_ptr<omNodeList> getChildNodes() override;
    std::shared_ptr<omNode> getFirstChild() override;
    std::shared_ptr<omNode> getLastChild() override;
    std::shared_ptr<omNode> getPreviousSibling() override;
    std::shared_ptr<omNode> getNextSibling() override;
    std::shared_ptr<omDocument> getOwnerDocument() override;
    std::shared_ptr<omNode> insertBefore(std::shared_ptr<omNode> newChild, std::shared_ptr<omNode> refChild) override;
    std::shared_ptr<omNode> replaceChild(std::shared_ptr<omNode> newChild, std::shared_ptr<omNode> oldChild) override;
    std::shared_ptr<omNode> removeChild(std::shared_ptr<omNode> oldChild) override;
    std::shared_ptr<omNode> appendChild(std::shared_ptr<omNode> newChild) override;
    bool hasChildNodes() override;
    std::shared_ptr<omNode> cloneNode(bool deep) override;
    bool hasAttributes() override;
    std::shared_ptr<omNamedNodeMap> getAttributes() const override;
    bool operator==(const omNode& other) const override;

    using omNode::set_attribute;
    // Only elements carry attributes, whatever interface their handle has.
    bool set_attribute(const syString& name, const syString& value) override;

    syString get_text() override;
    void set_text(const syString& text) override;
    syString get_xml() override;
};

extern template class lxNodeImpl<omElement>;
extern template class lxNodeImpl<omTextNode>;
extern template class lxNodeImpl<omCommentNode>;
extern template class lxNodeImpl<omProcessingInstruction>;
extern template class lxNodeImpl<omDocument>;
extern template class lxNodeImpl<omNode>;
