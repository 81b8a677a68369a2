#pragma once

/// @file
/// The interface of simple pull readers.

#include "omxmlExport.h"

#include <iosfwd>

#include "platform/kuString.h"

/// The interface of every simple pull reader. The order of the virtual
/// operations is fixed: callers and readers are built separately against it.
///
/// Threads: a reader is used by one thread at a time; different readers are independent.
class OMXML_API omAbstractXmlReader {
public:
    /// Reads the whole file and its XML declaration. False when the file cannot be opened or read (nothing is
    /// recorded then: the caller reports it) or when its text is refused (an error is recorded).
    virtual bool read_file() = 0;
    /// The declared encoding; "Unknown" for a reader that knows none.
    virtual kuString encoding();
    /// Leaves the innermost entered element, checking its closing tag; a failure is recorded. Does nothing when
    /// no element is entered.
    virtual void up() = 0;
    /// Enters the next child of the innermost entered element (the root, the first time) whose name begins with
    /// tag. False when there is no further such child, or on malformed text (an error is recorded).
    virtual bool down_to(const kuString& tag) = 0;
    /// The value of attribute name of the innermost entered element, as written (references are not decoded),
    /// or default_value when it is absent or the reader has failed.
    virtual kuString attribute(const kuString& name, const kuString& default_value) = 0;
    /// The next run of text in the innermost entered element, as written; an empty string at the element's end
    /// or after a failure.
    virtual kuString text_node() = 0;
    /// True once an error has been recorded; the reader stays failed.
    virtual bool has_error_occurred() const = 0;
    /// Writes the recorded errors; this default has none to write.
    virtual void dump_error(std::ostream& out) const;
    /// Destroys the reader and what it owns.
    virtual ~omAbstractXmlReader();

protected:
    /// Readers are made by their factories.
    omAbstractXmlReader() = default;
    /// Copies the interface part.
    omAbstractXmlReader(const omAbstractXmlReader&) = default;
    /// Copies the interface part.
    omAbstractXmlReader& operator=(const omAbstractXmlReader&) = default;

    /// Exactly "UTF-8", "utf-8", "UTF8" or "utf8".
    virtual bool matches_utf8(const kuString& name);
    /// Exactly "UTF-16", "utf-16", "UTF16" or "utf16".
    virtual bool matches_utf16(const kuString& name);
    /// Every byte below 0x80 and none of '\\', '{', '}'; true for an empty text.
    virtual bool is_safe_ascii(const kuString& text);
};
