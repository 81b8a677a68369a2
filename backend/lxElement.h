#pragma once

#include <memory>
#include <string>
#include <vector>

#include "backend/lxNode.h"

// An element handle. List items of every kind of node are handed out as
// lxElement too; the element operations then act as on an element without
// attributes or children.
class lxElement final : public lxNodeImpl<omElement> {
public:
    lxElement(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node);

    syString getTagName() override;
    syString getAttribute(const syString& name) override;
    void setAttribute(const syString& name, const syString& value) override;
    void removeAttribute(const syString& name) override;
    bool hasAttribute(const syString& name) override;
    std::shared_ptr<omNodeList> selectNodes(const syString& xpath) override;
    std::shared_ptr<omElement> selectSingleNode(const syString& xpath) override;
    std::shared_ptr<omNode> getAttributeNode(const syString& name) override;
    std::shared_ptr<omNode> setAttributeNode(std::shared_ptr<omNode> attribute) override;
    std::shared_ptr<omNode> removeAttributeNode(std::shared_ptr<omNode> attribute) override;
    std::shared_ptr<omNodeList> getElementsByTagName(const syString& name) override;
    void normalize() override;

    // The elements below top (not top itself) whose qualified name is name,
    // or every element for "*", in document order.
    static std::vector<xmlNodePtr> elements_named(xmlNodePtr top, const syString& name);
    // The nodes that an XPath expression selects from context, in document order.
    static std::vector<xmlNodePtr> select(lxDocumentOwner& owner, xmlNodePtr context, const syString& xpath);
};
