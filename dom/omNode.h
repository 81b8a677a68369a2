#pragma once

/// @file
/// The node interface and the typed attribute accessors.

#include "omxmlExport.h"

#include <memory>

#include "platform/syString.h"

class omDocument;
class omNamedNodeMap;
class omNodeList;

/// Abstract interface of every node of a document tree. The order of the
/// virtual operations is fixed: callers, this library and document back-ends
/// are built separately against it. The typed attribute accessors are the
/// only operations with a body here; they reach the back-end through
/// getAttributes() and omElement::setAttribute().
///
/// Threads: operations that do not change a document may run on one document
/// from any number of threads at once: making and dropping handles to its
/// nodes, node lists and attribute maps, every getter, selectNodes,
/// selectSingleNode, getElementsByTagName, get_xml, the typed get_attribute
/// and saving it. A thread that changes a document (insertBefore, setAttribute,
/// set_text, normalize, cloneNode and the document's create operations among
/// them) needs it to itself: no other thread may use the document meanwhile.
/// Handles, and the document they keep alive, may be dropped on any thread.
class OMXML_API omNode {
public:
    /// An empty node part; back-ends construct the concrete node.
    omNode() = default;
    /// Destroys this handle's node object; the document it belongs to lives while any handle to one of its
    /// nodes exists.
    virtual ~omNode() = default;

    /// The node's name: an element's tag name, an attribute's name, "#text" for text, "#comment" for a comment,
    /// "#document" for the document.
    virtual syString getNodeName() = 0;
    /// The node's value: the text of a text or comment node, an attribute's value; an empty string for elements
    /// and the document.
    virtual syString getNodeValue() = 0;
    /// The parent node, or an empty handle for the document and for a detached node.
    virtual std::shared_ptr<omNode> getParentNode() = 0;
    /// A list of the node's children in document order; an empty list (never an empty handle) when it has none.
    virtual std::shared_ptr<omNodeList> getChildNodes() = 0;
    /// The first child. A node without children raises an assertion report (SY_ASSERT) and returns an empty
    /// handle.
    virtual std::shared_ptr<omNode> getFirstChild() = 0;
    /// The last child. A node without children raises an assertion report (SY_ASSERT) and returns an empty
    /// handle.
    virtual std::shared_ptr<omNode> getLastChild() = 0;
    /// The sibling before this node, or an empty handle for the first child.
    virtual std::shared_ptr<omNode> getPreviousSibling() = 0;
    /// The sibling after this node, or an empty handle for the last child.
    virtual std::shared_ptr<omNode> getNextSibling() = 0;
    /// The document this node belongs to; an empty handle for the document itself.
    virtual std::shared_ptr<omDocument> getOwnerDocument() = 0;
    /// Inserts newChild before refChild (at the end when refChild is empty) and returns newChild; a newChild
    /// already in the tree is moved. An empty handle when refChild is not a child of this node, and, with an
    /// assertion report (SY_ASSERT), when newChild is not a node of this document or may not stand here (this
    /// node or one of its ancestors, a second root element). Changes the document.
    virtual std::shared_ptr<omNode> insertBefore(std::shared_ptr<omNode> newChild,
                                                 std::shared_ptr<omNode> refChild) = 0;
    /// Puts newChild where oldChild stands and returns oldChild, now detached. An empty handle when oldChild is
    /// not a child of this node, or when newChild is not a node of this document (also an assertion report).
    /// Changes the document.
    virtual std::shared_ptr<omNode> replaceChild(std::shared_ptr<omNode> newChild,
                                                 std::shared_ptr<omNode> oldChild) = 0;
    /// Detaches oldChild and returns it; an empty handle when oldChild is not a child of this node. Changes the
    /// document.
    virtual std::shared_ptr<omNode> removeChild(std::shared_ptr<omNode> oldChild) = 0;
    /// Appends newChild as the last child and returns it, as insertBefore with an empty refChild. Changes the
    /// document.
    virtual std::shared_ptr<omNode> appendChild(std::shared_ptr<omNode> newChild) = 0;
    /// True when the node has at least one child.
    virtual bool hasChildNodes() = 0;
    /// A detached copy of this node, with its subtree when deep is true.
    virtual std::shared_ptr<omNode> cloneNode(bool deep) = 0;
    /// True when the node is an element with at least one attribute.
    virtual bool hasAttributes() = 0;
    /// The live map of the element's attributes; an empty handle for nodes that are not elements.
    virtual std::shared_ptr<omNamedNodeMap> getAttributes() const = 0;
    /// Node identity: true when both refer to the same node.
    virtual bool operator==(const omNode& other) const = 0;

    /// Reads attribute name as a boolean: "true" or "1" give true, "false" or "0" false. False, with value
    /// unchanged, when the attribute is absent or holds anything else.
    virtual bool get_attribute(const syString& name, bool& value) const;
    /// Reads attribute name as text. False, with value unchanged, when the node has no such attribute.
    virtual bool get_attribute(const syString& name, syString& value) const;
    /// Reads attribute name as a double written with a point as decimal separator (as set_attribute writes it),
    /// whatever the current locale. False, with value unchanged, when the attribute is absent or is not wholly
    /// such a number.
    virtual bool get_attribute(const syString& name, double& value) const;
    /// Reads attribute name as an int. False, with value unchanged, when the attribute is absent or is not
    /// wholly an integer.
    virtual bool get_attribute(const syString& name, int& value) const;
    /// Writes value as "true" or "false". False, with nothing written, when this node is not an element.
    /// Changes the document.
    virtual bool set_attribute(const syString& name, bool value);
    /// Writes value as the attribute's text. False, with nothing written, when this node is not an element.
    /// Changes the document.
    virtual bool set_attribute(const syString& name, const syString& value);
    /// Writes value with 16 significant digits and a point as decimal separator, whatever the current locale.
    /// False when this node is not an element. Changes the document.
    virtual bool set_attribute(const syString& name, double value);
    /// Writes value in decimal. False when this node is not an element. Changes the document.
    virtual bool set_attribute(const syString& name, int value);
    /// Writes value in decimal. There is no unsigned getter: read the value back with the int or double getter.
    /// False when this node is not an element. Changes the document.
    virtual bool set_attribute(const syString& name, unsigned int value);
    /// Reads attribute name as a double written in the current numeric locale (LC_NUMERIC), such as "1,5" under
    /// a German locale. False, with value unchanged, when the attribute is absent or is not wholly such a
    /// number.
    virtual bool get_attribute_locale(const syString& name, double& value) const;
    /// Writes value with 16 significant digits in the current numeric locale (LC_NUMERIC). False when this node
    /// is not an element. Changes the document.
    virtual bool set_attribute_locale(const syString& name, double value);

    /// The node's text: for an element the text of all its descendants joined, for text and comment nodes their
    /// data.
    virtual syString get_text() = 0;
    /// Replaces the node's content by one text (an element's children are removed). Changes the document.
    virtual void set_text(const syString& text) = 0;
    /// The node's markup, as it would be saved (escaped text, attributes quoted).
    virtual syString get_xml() = 0;

protected:
    /// Parses the whole of text as a double in the current numeric locale.
    /// Parses the whole of text as a double in the current numeric locale: false, with value unchanged, when
    /// text is not wholly one number.
    bool parse_value_locale(const syString& text, double& value) const;
};
