#pragma once

/// @file
/// The processing-instruction interface.

#include "omxmlExport.h"

#include "dom/omNode.h"

/// A processing instruction. Unlike the other node kinds it holds its own,
/// non-virtual omNode part.
class OMXML_API omProcessingInstruction : public omNode {
public:
    /// An empty part; back-ends construct the concrete node.
    omProcessingInstruction() = default;
    /// Destroys the node object. Defined in the library, which thus holds
    /// the class's virtual table (Windows imports it from there).
    ~omProcessingInstruction() override;

    /// The target, the name right after "<?".
    virtual syString getTarget() = 0;
    /// Everything after the target and its blank, up to "?>".
    virtual syString getData() = 0;
};
