#pragma once

#include <memory>

#include "backend/lxNode.h"

// Character data over a libxml2 text, CDATA or comment node.
template <class Interface>
class lxCharacterData : public lxNodeImpl<Interface> {
public:
    lxCharacterData(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node);

    syString getData() override;
};

extern template class lxCharacterData<omTextNode>;
extern template class lxCharacterData<omCommentNode>;

// A text node (or CDATA section) with its own handle: not an element, so
// attributes cannot be set on it.
class lxTextNode final : public lxCharacterData<omTextNode> {
public:
    lxTextNode(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node);
};

class lxCommentNode final : public lxCharacterData<omCommentNode> {
public:
    lxCommentNode(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node);
};
