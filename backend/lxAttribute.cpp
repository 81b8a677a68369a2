#include "backend/lxAttribute.h"

#include <cstring>

#include "backend/lxString.h"
#include "platform/syAssert.h"

lxAttribute::lxAttribute(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr attribute)
    : lxNodeImpl<omNode>(std::move(owner), attribute) {}

xmlAttrPtr lxAttribute::find(const xmlNode* element, const std::string& name) {
    if (element->type != XML_ELEMENT_NODE)
        return nullptr;
    std::size_t colon = name.find(':');
    const char* local = colon == std::string::npos ? name.c_str() : name.c_str() + colon + 1;
    for (xmlAttrPtr a = element->properties; a; a = a->next) {
        if (std::strcmp(reinterpret_cast<const char*>(a->name), local) != 0)
            continue;
        const xmlChar* prefix = a->ns ? a->ns->prefix : nullptr;
        if (colon == std::string::npos) {
            if (!prefix)
                return a;
        } else if (prefix && std::strlen(reinterpret_cast<const char*>(prefix)) == colon &&
                   std::memcmp(prefix, name.data(), colon) == 0) {
            return a;
        }
    }
    return nullptr;
}

syString lxAttribute::value(const xmlAttr* attribute) {
    const xmlNode* text = attribute->children;
    if (!text)
        return syString();
    if (!text->next && text->type == XML_TEXT_NODE)
        return lxString::from_xml(text->content);
    xmlChar* joined = xmlNodeListGetString(attribute->doc, attribute->children, 1);
    syString result = lxString::from_xml(joined);
    xmlFree(joined);
    return result;
}

void lxAttribute::set_value(xmlAttrPtr attribute, const std::string& value) {
    xmlNodePtr text = xmlNewDocText(attribute->doc, lxString::xml(value));
    if (!text)
        return;
    if (attribute->children)
        xmlFreeNodeList(attribute->children);
    text->parent = reinterpret_cast<xmlNodePtr>(attribute);
    attribute->children = text;
    attribute->last = text;
}

void lxAttribute::set(xmlNodePtr element, const syString& name, const syString& value) {
    if (element->type != XML_ELEMENT_NODE)
        return;
    std::string qname = name.to_utf8();
    bool valid_attribute_name = xmlValidateQName(lxString::xml(qname), 0) == 0;
    SY_ASSERT(valid_attribute_name);
    if (!valid_attribute_name)
        return;
    std::string text = value.to_utf8();
    if (xmlAttrPtr existing = find(element, qname))
        set_value(existing, text);
    else
        xmlSetProp(element, lxString::xml(qname), lxString::xml(text));
}

bool lxAttribute::remove(lxDocumentOwner& owner, xmlNodePtr element, const syString& name) {
    xmlAttrPtr attribute = find(element, name.to_utf8());
    if (!attribute)
        return false;
    xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(attribute));
    owner.discard(reinterpret_cast<xmlNodePtr>(attribute));
    return true;
}

std::shared_ptr<omNode> lxAttribute::put(const std::shared_ptr<lxDocumentOwner>& owner, xmlNodePtr element,
                                         const std::shared_ptr<omNode>& attribute) {
    const lxNodeRef* ref = lxNodeRef::of(attribute.get());
    bool attribute_of_this_document = ref && ref->owner() == owner && ref->xml_node()->type == XML_ATTRIBUTE_NODE &&
                                      element->type == XML_ELEMENT_NODE;
    SY_ASSERT(attribute_of_this_document);
    if (!attribute_of_this_document)
        return nullptr;
    auto* added = reinterpret_cast<xmlAttrPtr>(ref->xml_node());
    if (added->parent == element)
        return nullptr;
    bool attribute_not_in_use = added->parent == nullptr;
    SY_ASSERT(attribute_not_in_use);
    if (!attribute_not_in_use)
        return nullptr;

    std::string qname = ref->xml_node()->ns && ref->xml_node()->ns->prefix
                            ? std::string(reinterpret_cast<const char*>(added->ns->prefix)) + ":" +
                                  reinterpret_cast<const char*>(added->name)
                            : std::string(reinterpret_cast<const char*>(added->name));
    xmlAttrPtr replaced = find(element, qname);
    // The new attribute takes the place of the one it replaces, or goes last.
    added->parent = element;
    if (replaced) {
        added->prev = replaced->prev;
        added->next = replaced->next;
        if (replaced->prev)
            replaced->prev->next = added;
        else
            element->properties = added;
        if (replaced->next)
            replaced->next->prev = added;
        replaced->prev = replaced->next = nullptr;
        replaced->parent = nullptr;
    } else {
        added->next = nullptr;
        added->prev = nullptr;
        if (!element->properties) {
            element->properties = added;
        } else {
            xmlAttrPtr last = element->properties;
            while (last->next)
                last = last->next;
            last->next = added;
            added->prev = last;
        }
    }
    owner->untrack(reinterpret_cast<xmlNodePtr>(added));
    if (added->ns)
        xmlReconciliateNs(owner->doc(), element);
    if (!replaced)
        return nullptr;
    std::shared_ptr<omNode> result = owner->node(reinterpret_cast<xmlNodePtr>(replaced));
    owner->keep_detached(reinterpret_cast<xmlNodePtr>(replaced));
    return result;
}
