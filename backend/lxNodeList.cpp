#include "backend/lxNodeList.h"

#include "dom/omElement.h"

lxNodeList::lxNodeList(std::shared_ptr<lxDocumentOwner> owner, std::vector<xmlNodePtr> nodes)
    : m_owner(std::move(owner)), m_nodes(std::move(nodes)) {
    for (xmlNodePtr node : m_nodes)
        lxDocumentOwner::acquire(node);
}

lxNodeList::~lxNodeList() {
    for (xmlNodePtr node : m_nodes)
        lxDocumentOwner::release(node);
}

std::shared_ptr<omElement> lxNodeList::at(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_nodes.size())
        return nullptr;
    return m_owner->item(m_nodes[static_cast<std::size_t>(index)]);
}

int lxNodeList::length() const { return static_cast<int>(m_nodes.size()); }
