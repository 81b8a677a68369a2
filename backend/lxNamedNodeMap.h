#pragma once

#include <memory>

#include <libxml/tree.h>

#include "backend/lxDocumentOwner.h"
#include "dom/omNamedNodeMap.h"

// A live view of an element's attributes: every call reads the element's
// current attribute list.
class lxNamedNodeMap final : public omNamedNodeMap {
public:
    lxNamedNodeMap(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr element);
    lxNamedNodeMap(const lxNamedNodeMap&) = delete;
    lxNamedNodeMap& operator=(const lxNamedNodeMap&) = delete;

    int getLength() override;
    std::shared_ptr<omNode> item(int index) override;
    std::shared_ptr<omNode> getNamedItem(const syString& name) override;
    std::shared_ptr<omNode> removeNamedItem(const syString& name) override;
    std::shared_ptr<omNode> setNamedItem(std::shared_ptr<omNode> node) override;
    ~lxNamedNodeMap() override;

private:
    std::shared_ptr<lxDocumentOwner> m_owner;
    xmlNodePtr m_element;
};
