#include "backend/lxNamedNodeMap.h"

#include "backend/lxAttribute.h"
#include "platform/syAssert.h"

lxNamedNodeMap::lxNamedNodeMap(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr element)
    : m_owner(std::move(owner)), m_element(element) {
    lxDocumentOwner::acquire(m_element);
}

int lxNamedNodeMap::getLength() {
    int n = 0;
    for (xmlAttrPtr a = m_element->properties; a; a = a->next)
        ++n;
    return n;
}

std::shared_ptr<omNode> lxNamedNodeMap::item(int index) {
    if (index < 0)
        return nullptr;
    xmlAttrPtr a = m_element->properties;
    for (int i = 0; a && i < index; ++i)
        a = a->next;
    return m_owner->node(reinterpret_cast<xmlNodePtr>(a));
}

std::shared_ptr<omNode> lxNamedNodeMap::getNamedItem(const syString& name) {
    return m_owner->node(reinterpret_cast<xmlNodePtr>(lxAttribute::find(m_element, name.to_utf8())));
}

std::shared_ptr<omNode> lxNamedNodeMap::removeNamedItem(const syString& name) {
    xmlAttrPtr attribute = lxAttribute::find(m_element, name.to_utf8());
    bool attribute_present = attribute != nullptr;
    SY_ASSERT(attribute_present);
    if (!attribute)
        return nullptr;
    std::shared_ptr<omNode> removed = m_owner->node(reinterpret_cast<xmlNodePtr>(attribute));
    xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(attribute));
    m_owner->keep_detached(reinterpret_cast<xmlNodePtr>(attribute));
    return removed;
}

std::shared_ptr<omNode> lxNamedNodeMap::setNamedItem(std::shared_ptr<omNode> node) {
    return lxAttribute::put(m_owner, m_element, node);
}

lxNamedNodeMap::~lxNamedNodeMap() { lxDocumentOwner::release(m_element); }
