#pragma once

/// @file
/// The document-level cursor, which reads the XML declaration.

#include "omxmlExport.h"

#include "reader/omPositionX.h"

/// The document-level cursor: placed at the buffer's first character, it reads
/// the XML declaration; the reader then enters the root element from it with
/// go_to_sub_tag. Each declaration operation starts again from the buffer's
/// first character and leaves m_current after what it read.
class OMXML_API omInitialPositionX : public omPositionX {
public:
    /// A cursor with both positions at the first character of buffer, which must outlive it.
    explicit omInitialPositionX(char* buffer) : omPositionX(buffer) {}

    /// The declared version. Throws omCharException when the buffer does not begin with "<?xml" (a byte-order
    /// mark or a blank line included) or the version does not come first.
    kuString version();
    /// The declared encoding as written, or "utf-8".
    kuString encoding();
    /// The declared standalone value, or "no".
    kuString standalone();
    /// Just after the declaration and the whitespace and comments after it.
    char* end_point();

private:
    /// One pseudo-attribute name=Qvalue Q standing exactly at m_current.
    kuString attribute_value(const kuString& name);
};
