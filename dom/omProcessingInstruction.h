#pragma once

#include "omxmlExport.h"

#include "dom/omNode.h"

// A processing instruction. Unlike the other node kinds it holds its own,
// non-virtual omNode part.
class OMXML_API omProcessingInstruction : public omNode {
public:
    omProcessingInstruction() = default;
    ~omProcessingInstruction() override = default;

    virtual syString getTarget() = 0;
    virtual syString getData() = 0;
};
