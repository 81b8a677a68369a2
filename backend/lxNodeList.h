#pragma once

#include <memory>
#include <vector>

#include <libxml/tree.h>

#include "backend/lxDocumentOwner.h"
#include "dom/omNodeList.h"

// A snapshot of nodes (children, XPath results, elements by name). While the
// list lives its document frees no node, so a node stays valid for the list
// even when the tree changes afterwards; handles are made on at().
class lxNodeList final : public omNodeList {
public:
    lxNodeList(std::shared_ptr<lxDocumentOwner> owner, std::vector<xmlNodePtr> nodes);
    lxNodeList(const lxNodeList&) = delete;
    lxNodeList& operator=(const lxNodeList&) = delete;
    ~lxNodeList() override;

    // An empty handle for an index outside 0 .. length() - 1.
    std::shared_ptr<omElement> at(int index) override;
    int length() const override;

private:
    std::shared_ptr<lxDocumentOwner> m_owner;
    std::vector<xmlNodePtr> m_nodes;
};
