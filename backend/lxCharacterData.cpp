#include "backend/lxCharacterData.h"

#include "backend/lxString.h"

template <class Interface>
lxCharacterData<Interface>::lxCharacterData(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node)
    : lxNodeImpl<Interface>(std::move(owner), node) {}

template <class Interface>
syString lxCharacterData<Interface>::getData() {
    return lxString::from_xml(this->m_node->content);
}

template class lxCharacterData<omTextNode>;
template class lxCharacterData<omCommentNode>;

lxTextNode::lxTextNode(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node)
    : lxCharacterData<omTextNode>(std::move(owner), node) {}

lxCommentNode::lxCommentNode(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node)
    : lxCharacterData<omCommentNode>(std::move(owner), node) {}
