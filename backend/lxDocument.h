#pragma once

#include <memory>

#include "backend/lxNode.h"

// The document handle; nodes made through it belong to its owner.
class lxDocument final : public lxNodeImpl<omDocument> {
public:
    lxDocument(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr doc);

    std::shared_ptr<omElement> createElement(const syString& tagName) override;
    std::shared_ptr<omTextNode> createTextNode(const syString& data) override;
    std::shared_ptr<omCommentNode> createComment(const syString& data) override;
    std::shared_ptr<omElement> getDocumentElement() override;
    syString getDocumentURI() override;
    std::shared_ptr<omNode> createAttribute(const syString& name) override;
    std::shared_ptr<omNodeList> getElementsByTagName(const syString& tagName) override;
    std::shared_ptr<omProcessingInstruction> createProcessingInstruction(const syString& target,
                                                                         const syString& data) override;
};
