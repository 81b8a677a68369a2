#include "backend/lxDocument.h"

#include "backend/lxAttribute.h"
#include "backend/lxCharacterData.h"
#include "backend/lxElement.h"
#include "backend/lxNodeList.h"
#include "backend/lxProcessingInstruction.h"
#include "backend/lxString.h"
#include "platform/syAssert.h"

lxDocument::lxDocument(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr doc)
    : lxNodeImpl<omDocument>(std::move(owner), doc) {}

std::shared_ptr<omElement> lxDocument::createElement(const syString& tagName) {
    std::string name = tagName.to_utf8();
    bool valid_element_name = xmlValidateQName(lxString::xml(name), 0) == 0;
    SY_ASSERT(valid_element_name);
    if (!valid_element_name)
        return nullptr;
    xmlNodePtr node = xmlNewDocNode(m_owner->doc(), nullptr, lxString::xml(name), nullptr);
    if (!node)
        return nullptr;
    m_owner->track_detached(node);
    return std::make_shared<lxElement>(m_owner, node);
}

std::shared_ptr<omTextNode> lxDocument::createTextNode(const syString& data) {
    xmlNodePtr node = xmlNewDocText(m_owner->doc(), lxString::xml(data.to_utf8()));
    if (!node)
        return nullptr;
    m_owner->track_detached(node);
    return std::make_shared<lxTextNode>(m_owner, node);
}

std::shared_ptr<omCommentNode> lxDocument::createComment(const syString& data) {
    xmlNodePtr node = xmlNewDocComment(m_owner->doc(), lxString::xml(data.to_utf8()));
    if (!node)
        return nullptr;
    m_owner->track_detached(node);
    return std::make_shared<lxCommentNode>(m_owner, node);
}

std::shared_ptr<omElement> lxDocument::getDocumentElement() {
    xmlNodePtr root = xmlDocGetRootElement(m_owner->doc());
    return root ? std::make_shared<lxElement>(m_owner, root) : nullptr;
}

syString lxDocument::getDocumentURI() { return lxString::from_xml(m_owner->doc()->URL); }

std::shared_ptr<omNode> lxDocument::createAttribute(const syString& name) {
    std::string qname = name.to_utf8();
    bool valid_attribute_name = xmlValidateQName(lxString::xml(qname), 0) == 0;
    SY_ASSERT(valid_attribute_name);
    if (!valid_attribute_name)
        return nullptr;
    xmlAttrPtr attribute = xmlNewDocProp(m_owner->doc(), lxString::xml(qname), nullptr);
    if (!attribute)
        return nullptr;
    lxAttribute::set_value(attribute, std::string());
    m_owner->track_detached(reinterpret_cast<xmlNodePtr>(attribute));
    return std::make_shared<lxAttribute>(m_owner, reinterpret_cast<xmlNodePtr>(attribute));
}

std::shared_ptr<omNodeList> lxDocument::getElementsByTagName(const syString& tagName) {
    return std::make_shared<lxNodeList>(m_owner, lxElement::elements_named(m_node, tagName));
}

std::shared_ptr<omProcessingInstruction> lxDocument::createProcessingInstruction(const syString& target,
                                                                                 const syString& data) {
    std::string name = target.to_utf8();
    bool valid_target =
        xmlValidateNCName(lxString::xml(name), 0) == 0 && xmlStrcasecmp(lxString::xml(name), BAD_CAST "xml") != 0;
    SY_ASSERT(valid_target);
    if (!valid_target)
        return nullptr;
    xmlNodePtr node = xmlNewDocPI(m_owner->doc(), lxString::xml(name), lxString::xml(data.to_utf8()));
    if (!node)
        return nullptr;
    m_owner->track_detached(node);
    return std::make_shared<lxProcessingInstruction>(m_owner, node);
}
