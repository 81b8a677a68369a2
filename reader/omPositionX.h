#pragma once

/// @file
/// The pull reader's cursor over the file's text, and its value buffer.

#include "omxmlExport.h"

#include "platform/kuMarkers.h"
#include "platform/kuString.h"

/// The characters of the values a reader returns (attribute values, texts),
/// copied into one shared, counted buffer rather than one allocation each.
/// Every returned string shares the buffer; once none does any more, the
/// buffer is filled again from its start. Long values get their own.
class OMXML_API omValueBuffer {
public:
    /// An empty buffer; the first copy allocates.
    omValueBuffer() = default;
    omValueBuffer(const omValueBuffer&) = delete;
    omValueBuffer& operator=(const omValueBuffer&) = delete;
    /// Gives back the buffer; strings made from it keep their share.
    ~omValueBuffer() { drop(); }
    /// A string holding the n characters at from.
    kuString copy(const char* from, int n);

private:
    /// Gives back the buffer and the counts held for strings not yet made.
    void drop();

    kuRef* m_ref = nullptr;
    int m_used = 0;
    /// Counts of m_ref held beyond the buffer's own, each handed to a string
    /// as it is made: one atomic addition serves many strings.
    int m_spare = 0;
};

/// A cursor over the NUL-terminated buffer that holds a whole XML file: one
/// cursor per element ("object"). m_object_start is where the element's start
/// tag begins; m_current is the next character to examine inside its content.
/// Malformed or truncated input is thrown as an omException (omException.h).
/// The last character of the buffer can be examined but never consumed.
///
/// A cursor entered into a self-closing element (`<a/>`) keeps m_current on its
/// own start tag: its content is empty, so text_node(), find_sub_tag() and
/// end_object() answer at once without reading the parent's content. An
/// attribute look-up ends at the start tag's '>' or "/>". Stepping over an
/// element keeps the names of the open elements on the heap, not the machine
/// stack, so any depth of nesting is stepped over.
/// Once a scan has checked the closing tag, the cursor remembers where its
/// content ends, so stepping over the element or closing it again reads
/// nothing twice (the cursor is moved only by its own scans).
class OMXML_API omPositionX {
public:
    /// A cursor with both positions at p, a character of a NUL-terminated buffer that must outlive the cursor.
    explicit omPositionX(char* p) : m_current(p), m_object_start(p) {}
    /// Owns nothing; does nothing.
    ~omPositionX() {}

    /// Value of attribute name in the element's start tag, or a copy of
    /// default_value; the cursor does not move.
    kuString attribute(const kuString& name, const kuString& default_value) const;
    /// Makes a cursor placed at an element's start tag ready to scan its content.
    void object_setup();
    /// A new cursor, owned by the caller, for the next child whose name
    /// matches name; null when the element has no further such child.
    omPositionX* go_to_sub_tag(kuPtrRelease release, const kuString& name);
    /// Moves to the next child whose name matches name, as go_to_sub_tag does,
    /// without making its cursor: true when found, with current() at its start
    /// tag; enter() then makes a cursor of the child.
    bool next_sub_tag(const kuString& name) { return find_sub_tag(name); }
    /// Makes this cursor the cursor go_to_sub_tag would return for the child
    /// at parent's current(), whatever it held before; it shares the
    /// parent's value buffer.
    void enter(const omPositionX& parent);
    /// Where attribute() and text_node() copy the values they return; null
    /// (the default) gives each value its own allocation. Not owned.
    void use_values(omValueBuffer* values) { m_values = values; }
    /// Scans to the element's closing tag, checks it and rewinds.
    void end_object();
    /// Steps over the whole element whose start tag is at m_current.
    void skip_object();
    /// skip_object for the child element that go_to_sub_tag returned for the
    /// start tag at m_current, used through its own operations since: what the
    /// child has already scanned is not read again. Same result, same exceptions.
    void skip_entered_object(const omPositionX& child);
    /// The next run of text in the element's content; empty at its end.
    kuString text_node();
    /// Text from m_current up to the next start or closing tag.
    kuString read_text();
    /// Name of the first tag after the start tag at m_object_start; empty for
    /// an element entered through a self-closing tag.
    kuString initial_tag() const;

protected:
    /// The current position.
    char* current() const { return m_current; }
    /// True when the character at the current position is c.
    bool is_char(char c) const { return *m_current == c; }
    /// True at space, line feed, carriage return or tab (nothing else is whitespace).
    bool is_whitespace() const;
    /// True when the text at the current position begins with s; does not move. Throws omEndException when the
    /// look-ahead would consume the buffer's last character.
    bool is_string(const kuString& s) const;
    /// True at "<!--".
    bool is_comment() const;
    /// True at "<![CDATA[".
    bool is_cdata() const;
    /// True at `</`.
    bool is_closing_tag() const;
    /// True at a '<' that opens no closing tag, comment or CDATA section: "<?" and "<!DOCTYPE" count as start
    /// tags.
    bool is_opening_tag() const;
    /// True at a start or closing tag.
    bool is_tag() const;
    /// True when the text begins with `<` or `</` followed by name; the character after name is not looked at,
    /// so a name matches longer names that begin with it.
    bool is_tag_name(const kuString& name) const;
    /// True when the character before the next '>' is '/'.
    bool self_closing_tag() const;
    /// The tag name at the current position, up to the first space or '>' (a tab, a line break or the '/' of
    /// `<a/>` is part of it); does not move. Throws omCharException('<') when not at a tag.
    kuString read_tag() const;

    /// Advances one character. Throws omEndException at the NUL or when the next character is the NUL.
    void move_on();
    /// The character at the current position, then move_on().
    char read_char();
    /// Advances over c; throws omCharException(c) when another character stands there.
    void skip_char(char c);
    /// skip_char for each character of s.
    void skip_string(const kuString& s);
    /// Advances over whitespace.
    void skip_whitespace();
    /// Advances past the next '>'.
    void skip_tag();
    /// Advances past the comment at the current position; the comment ends at the first "--", which must be
    /// followed by '>' (omCharException otherwise).
    void skip_comment();
    /// The text up to, not including, the next c; stops on c.
    kuString read_string_to_char(char c);
    /// The content of the CDATA section at the current position; advances past it.
    kuString read_cdata();
    /// The characters from from up to the current position.
    kuString make_string_from(const char* from) const;
    /// Scans the start tag at the current position for attribute name: its value, or a copy of default_value.
    kuString find_attribute(const kuString& name, const kuString& default_value);
    /// Moves to the next child start tag whose name matches name: true, standing on it; false at the element's
    /// closing tag, after checking it and rewinding to the start of the content. Throws omTagException for a
    /// closing tag that does not match.
    bool find_sub_tag(const kuString& name);

    /// Throws omCharException(c).
    [[noreturn]] void throw_char_error_x(char c) const;
    /// Throws omEndException.
    [[noreturn]] void throw_end_error_x() const;
    /// Throws omTagException(tag).
    [[noreturn]] void throw_tag_error_x(const kuString& tag) const;

    /// The next character to examine.
    char* m_current;
    /// Where the element's start tag begins (for the document-level cursor, the buffer's first character).
    char* m_object_start;
    /// Once a scan has reached the element's closing tag and checked it (and
    /// rewound), m_closing is that tag's '<' and m_content where the rewind put
    /// m_current; null before. The buffer never changes, so any later scan of
    /// the content could only repeat that result: end_object() and stepping
    /// over the element go straight to the closing tag.
    char* m_closing = nullptr;
    /// See m_closing.
    char* m_content = nullptr;
    /// Where returned values are copied (use_values); not owned.
    omValueBuffer* m_values = nullptr;
    /// The '>' of the start tag of an element entered through a self-closing
    /// tag, as object_setup() found it; null for any other.
    char* m_self_closed = nullptr;
};
