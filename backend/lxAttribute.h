#pragma once

#include <memory>
#include <string>

#include <libxml/tree.h>

#include "backend/lxNode.h"

// An attribute node: the entries of an element's attribute map. It has no
// parent, siblings or children in the model; its value is its node value.
//
// The static members are the attribute operations that element handles and
// attribute maps share.
class lxAttribute final : public lxNodeImpl<omNode> {
public:
    lxAttribute(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr attribute);

    // The attribute of element whose qualified name is name (UTF-8), or null.
    static xmlAttrPtr find(const xmlNode* element, const std::string& name);
    static syString value(const xmlAttr* attribute);
    // Replaces the value with value taken literally (no entity references).
    static void set_value(xmlAttrPtr attribute, const std::string& value);
    // Creates or replaces the attribute name of element.
    static void set(xmlNodePtr element, const syString& name, const syString& value);
    // Takes the attribute name out of element; false when there is none.
    static bool remove(lxDocumentOwner& owner, xmlNodePtr element, const syString& name);
    // Puts a detached attribute node into element, in place of the one of the
    // same name; returns the replaced attribute or an empty handle.
    static std::shared_ptr<omNode> put(const std::shared_ptr<lxDocumentOwner>& owner, xmlNodePtr element,
                                       const std::shared_ptr<omNode>& attribute);
};
