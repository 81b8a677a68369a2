#pragma once

/// @file
/// The element interface.

#include "omxmlExport.h"

#include <memory>

#include "dom/omNode.h"

class omNodeList;

/// An element. Every node that can stand in a node list has this interface
/// (text and comment children are handed out as elements too).
/// Threads: see omNode. selectNodes, selectSingleNode and getElementsByTagName
/// are reads: each XPath evaluation has its own state.
class OMXML_API omElement : public virtual omNode {
public:
    /// An empty part; back-ends construct the concrete element.
    omElement() = default;
    /// Destroys the element object.
    ~omElement() override = 0;

    /// The element's name, with its prefix if it has one.
    virtual syString getTagName() = 0;
    /// The value of attribute name, or an empty string when there is none (use hasAttribute to tell an empty
    /// value from a missing one).
    virtual syString getAttribute(const syString& name) = 0;
    /// Sets attribute name to value, adding it when absent. Changes the document.
    virtual void setAttribute(const syString& name, const syString& value) = 0;
    /// Removes attribute name; nothing happens when it is absent. Changes the document.
    virtual void removeAttribute(const syString& name) = 0;
    /// True when the element has attribute name.
    virtual bool hasAttribute(const syString& name) = 0;
    /// Nodes selected by an XPath expression, in document order; never empty
    /// as a handle. Expressions starting with "//" start at the document root.
    virtual std::shared_ptr<omNodeList> selectNodes(const syString& xpath) = 0;
    /// The first selected node in document order, or an empty handle.
    virtual std::shared_ptr<omElement> selectSingleNode(const syString& xpath) = 0;
    /// The attribute node of that name, or an empty handle.
    virtual std::shared_ptr<omNode> getAttributeNode(const syString& name) = 0;
    /// Adds an attribute node; returns the attribute it replaced, if any.
    virtual std::shared_ptr<omNode> setAttributeNode(std::shared_ptr<omNode> attribute) = 0;
    /// Removes an attribute node of this element and returns it.
    virtual std::shared_ptr<omNode> removeAttributeNode(std::shared_ptr<omNode> attribute) = 0;
    /// Descendant elements of that name in document order ("*" matches all).
    virtual std::shared_ptr<omNodeList> getElementsByTagName(const syString& name) = 0;
    /// Joins adjacent text children and drops empty ones.
    virtual void normalize() = 0;
};

inline omElement::~omElement() = default;
