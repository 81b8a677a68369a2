#include "backend/lxProcessingInstruction.h"

#include "backend/lxString.h"

lxProcessingInstruction::lxProcessingInstruction(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node)
    : lxNodeImpl<omProcessingInstruction>(std::move(owner), node) {}

syString lxProcessingInstruction::getTarget() { return lxString::from_xml(m_node->name); }

syString lxProcessingInstruction::getData() { return lxString::from_xml(m_node->content); }
