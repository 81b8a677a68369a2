#pragma once

#include "omxmlExport.h"

#include "dom/omNode.h"

// Character data: text and comment nodes. For both, getData(), get_text()
// and getNodeValue() return the same string.
class OMXML_API omCharacterData : public virtual omNode {
public:
    omCharacterData() = default;
    ~omCharacterData() override = default;

    virtual syString getData() = 0;
};

// A text node; get_xml() escapes "&", "<" and ">".
class OMXML_API omTextNode : public omCharacterData {
public:
    omTextNode() = default;
    ~omTextNode() override = default;
};

// A comment node; get_xml() writes "<!--", the data unchanged, "-->".
class OMXML_API omCommentNode : public omCharacterData {
public:
    omCommentNode() = default;
    ~omCommentNode() override = default;
};
