#pragma once

#include "omxmlExport.h"

#include <memory>

#include "platform/syString.h"

class omDocument;
class omNamedNodeMap;
class omNodeList;

// Abstract interface of every node of a document tree. The order of the
// virtual operations is fixed: callers, this library and document back-ends
// are built separately against it. The typed attribute accessors are the
// only operations with a body here; they reach the back-end through
// getAttributes() and omElement::setAttribute().
//
// Threads: operations that do not change a document may run on one document
// from any number of threads at once: making and dropping handles to its
// nodes, node lists and attribute maps, every getter, selectNodes,
// selectSingleNode, getElementsByTagName, get_xml, the typed get_attribute
// and saving it. A thread that changes a document (insertBefore, setAttribute,
// set_text, normalize, cloneNode and the document's create operations among
// them) needs it to itself: no other thread may use the document meanwhile.
// Handles, and the document they keep alive, may be dropped on any thread.
class OMXML_API omNode {
public:
    omNode() = default;
    virtual ~omNode() = default;

    virtual syString getNodeName() = 0;
    virtual syString getNodeValue() = 0;
    virtual std::shared_ptr<omNode> getParentNode() = 0;
    virtual std::shared_ptr<omNodeList> getChildNodes() = 0;
    virtual std::shared_ptr<omNode> getFirstChild() = 0;
    virtual std::shared_ptr<omNode> getLastChild() = 0;
    virtual std::shared_ptr<omNode> getPreviousSibling() = 0;
    virtual std::shared_ptr<omNode> getNextSibling() = 0;
    virtual std::shared_ptr<omDocument> getOwnerDocument() = 0;
    virtual std::shared_ptr<omNode> insertBefore(std::shared_ptr<omNode> newChild,
                                                 std::shared_ptr<omNode> refChild) = 0;
    virtual std::shared_ptr<omNode> replaceChild(std::shared_ptr<omNode> newChild,
                                                 std::shared_ptr<omNode> oldChild) = 0;
    virtual std::shared_ptr<omNode> removeChild(std::shared_ptr<omNode> oldChild) = 0;
    virtual std::shared_ptr<omNode> appendChild(std::shared_ptr<omNode> newChild) = 0;
    virtual bool hasChildNodes() = 0;
    // A detached copy of this node, with its subtree when deep is true.
    virtual std::shared_ptr<omNode> cloneNode(bool deep) = 0;
    virtual bool hasAttributes() = 0;
    virtual std::shared_ptr<omNamedNodeMap> getAttributes() const = 0;
    // Node identity: true when both refer to the same node.
    virtual bool operator==(const omNode& other) const = 0;

    virtual bool get_attribute(const syString& name, bool& value) const;
    virtual bool get_attribute(const syString& name, syString& value) const;
    virtual bool get_attribute(const syString& name, double& value) const;
    virtual bool get_attribute(const syString& name, int& value) const;
    virtual bool set_attribute(const syString& name, bool value);
    virtual bool set_attribute(const syString& name, const syString& value);
    virtual bool set_attribute(const syString& name, double value);
    virtual bool set_attribute(const syString& name, int value);
    virtual bool set_attribute(const syString& name, unsigned int value);
    virtual bool get_attribute_locale(const syString& name, double& value) const;
    virtual bool set_attribute_locale(const syString& name, double value);

    virtual syString get_text() = 0;
    virtual void set_text(const syString& text) = 0;
    virtual syString get_xml() = 0;

protected:
    // Parses the whole of text as a double in the current numeric locale.
    bool parse_value_locale(const syString& text, double& value) const;
};
