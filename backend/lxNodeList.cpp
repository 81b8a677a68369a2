#include "backend/lxNodeList.h"

#include "dom/omElement.h"

lxNodeList::lxNodeList(std::shared_ptr<lxDocumentOwner> owner, std::vector<xmlNodePtr> nodes)
    : m_owner(std::move(owner)), m_nodes(std::move(nodes)) {
    m_owner->list_opened();
}

lxNodeList::~lxNodeList() { m_owner->list_closed(); }

std::shared_ptr<omElement> lxNodeList::at(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_nodes.size())
        return nullptr;
    return m_owner->item(m_nodes[static_cast<std::size_t>(index)]);
}

int lxNodeList::length() const { return static_cast<int>(m_nodes.size()); }
