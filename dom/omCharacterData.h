#pragma once

/// @file
/// Character data: text and comment nodes.

#include "omxmlExport.h"

#include "dom/omNode.h"

/// Character data: text and comment nodes. For both, getData(), get_text()
/// and getNodeValue() return the same string.
class OMXML_API omCharacterData : public virtual omNode {
public:
    /// An empty part; back-ends construct the concrete node.
    omCharacterData() = default;
    /// Destroys the node object.
    ~omCharacterData() override = default;

    /// The text of the node, unescaped.
    virtual syString getData() = 0;
};

/// A text node; get_xml() escapes "&", "<" and ">".
class OMXML_API omTextNode : public omCharacterData {
public:
    /// An empty part; back-ends construct the concrete node.
    omTextNode() = default;
    /// Destroys the node object.
    ~omTextNode() override = default;
};

/// A comment node; get_xml() writes "<!--", the data unchanged, "-->".
class OMXML_API omCommentNode : public omCharacterData {
public:
    /// An empty part; back-ends construct the concrete node.
    omCommentNode() = default;
    /// Destroys the node object.
    ~omCommentNode() override = default;
};
