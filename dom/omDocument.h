#pragma once

/// @file
/// The document interface.

#include "omxmlExport.h"

#include <memory>

#include "dom/omNode.h"

class omCommentNode;
class omElement;
class omNodeList;
class omProcessingInstruction;
class omTextNode;

/// A document: the root object through which all other nodes are made.
/// Created nodes belong to the document but are detached until inserted.
/// Threads: see omNode; creating a node changes the document.
class OMXML_API omDocument : public virtual omNode {
public:
    /// An empty part; back-ends construct the concrete document.
    omDocument() = default;
    /// Destroys the document object once no handle to it or to any of its nodes is left.
    ~omDocument() override = default;

    /// A new, detached element named tagName. Changes the document.
    virtual std::shared_ptr<omElement> createElement(const syString& tagName) = 0;
    /// A new, detached text node holding data. Changes the document.
    virtual std::shared_ptr<omTextNode> createTextNode(const syString& data) = 0;
    /// A new, detached comment holding data. Changes the document.
    virtual std::shared_ptr<omCommentNode> createComment(const syString& data) = 0;
    /// The root element, or an empty handle for a document without one.
    virtual std::shared_ptr<omElement> getDocumentElement() = 0;
    /// The location the document was loaded from, or an empty string for a document made or loaded from memory.
    virtual syString getDocumentURI() = 0;
    /// A detached attribute node, for omNamedNodeMap::setNamedItem.
    virtual std::shared_ptr<omNode> createAttribute(const syString& name) = 0;
    /// Every element of that name, the root included, in document order.
    virtual std::shared_ptr<omNodeList> getElementsByTagName(const syString& tagName) = 0;
    /// A new, detached processing instruction. Changes the document.
    virtual std::shared_ptr<omProcessingInstruction> createProcessingInstruction(const syString& target,
                                                                                 const syString& data) = 0;
};
