#pragma once

#include "omxmlExport.h"

#include <memory>

#include "dom/omNode.h"

class omCommentNode;
class omElement;
class omNodeList;
class omProcessingInstruction;
class omTextNode;

// A document: the root object through which all other nodes are made.
// Created nodes belong to the document but are detached until inserted.
// Threads: see omNode; creating a node changes the document.
class OMXML_API omDocument : public virtual omNode {
public:
    omDocument() = default;
    ~omDocument() override = default;

    virtual std::shared_ptr<omElement> createElement(const syString& tagName) = 0;
    virtual std::shared_ptr<omTextNode> createTextNode(const syString& data) = 0;
    virtual std::shared_ptr<omCommentNode> createComment(const syString& data) = 0;
    virtual std::shared_ptr<omElement> getDocumentElement() = 0;
    virtual syString getDocumentURI() = 0;
    // A detached attribute node, for omNamedNodeMap::setNamedItem.
    virtual std::shared_ptr<omNode> createAttribute(const syString& name) = 0;
    // Every element of that name, the root included, in document order.
    virtual std::shared_ptr<omNodeList> getElementsByTagName(const syString& tagName) = 0;
    virtual std::shared_ptr<omProcessingInstruction> createProcessingInstruction(const syString& target,
                                                                                 const syString& data) = 0;
};
