#pragma once

#include <memory>

#include "backend/lxNode.h"

class lxProcessingInstruction final : public lxNodeImpl<omProcessingInstruction> {
public:
    lxProcessingInstruction(std::shared_ptr<lxDocumentOwner> owner, xmlNodePtr node);

    syString getTarget() override;
    syString getData() override;
};
