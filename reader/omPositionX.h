#pragma once

#include "omxmlExport.h"

#include "platform/kuMarkers.h"
#include "platform/kuString.h"

// The characters of the values a reader returns (attribute values, texts),
// copied into one shared, counted buffer rather than one allocation each.
// Every returned string shares the buffer; once none does any more, the
// buffer is filled again from its start. Long values get their own.
class OMXML_API omValueBuffer {
public:
    omValueBuffer() = default;
    omValueBuffer(const omValueBuffer&) = delete;
    omValueBuffer& operator=(const omValueBuffer&) = delete;
    ~omValueBuffer() { drop(); }
    // A string holding the n characters at from.
    kuString copy(const char* from, int n);

private:
    // Gives back the buffer and the counts held for strings not yet made.
    void drop();

    kuRef* m_ref = nullptr;
    int m_used = 0;
    // Counts of m_ref held beyond the buffer's own, each handed to a string
    // as it is made: one atomic addition serves many strings.
    int m_spare = 0;
};

// A cursor over the NUL-terminated buffer that holds a whole XML file: one
// cursor per element ("object"). m_object_start is where the element's start
// tag begins; m_current is the next character to examine inside its content.
// Malformed or truncated input is thrown as an omException (omException.h).
// The last character of the buffer can be examined but never consumed.
//
// A cursor entered into a self-closing element ('<a/>') keeps m_current on its
// own start tag: its content is empty, so text_node(), find_sub_tag() and
// end_object() answer at once without reading the parent's content. An
// attribute look-up ends at the start tag's '>' or "/>". Stepping over an
// element keeps the names of the open elements on the heap, not the machine
// stack, so any depth of nesting is stepped over.
// Once a scan has checked the closing tag, the cursor remembers where its
// content ends, so stepping over the element or closing it again reads
// nothing twice (the cursor is moved only by its own scans).
class OMXML_API omPositionX {
public:
    explicit omPositionX(char* p) : m_current(p), m_object_start(p) {}
    ~omPositionX() {}

    // Value of attribute name in the element's start tag, or a copy of
    // default_value; the cursor does not move.
    kuString attribute(const kuString& name, const kuString& default_value) const;
    // Makes a cursor placed at an element's start tag ready to scan its content.
    void object_setup();
    // A new cursor, owned by the caller, for the next child whose name
    // matches name; null when the element has no further such child.
    omPositionX* go_to_sub_tag(kuPtrRelease release, const kuString& name);
    // Moves to the next child whose name matches name, as go_to_sub_tag does,
    // without making its cursor: true when found, with current() at its start
    // tag; enter() then makes a cursor of the child.
    bool next_sub_tag(const kuString& name) { return find_sub_tag(name); }
    // Makes this cursor the cursor go_to_sub_tag would return for the child
    // at parent's current(), whatever it held before; it shares the
    // parent's value buffer.
    void enter(const omPositionX& parent);
    // Where attribute() and text_node() copy the values they return; null
    // (the default) gives each value its own allocation. Not owned.
    void use_values(omValueBuffer* values) { m_values = values; }
    // Scans to the element's closing tag, checks it and rewinds.
    void end_object();
    // Steps over the whole element whose start tag is at m_current.
    void skip_object();
    // skip_object for the child element that go_to_sub_tag returned for the
    // start tag at m_current, used through its own operations since: what the
    // child has already scanned is not read again. Same result, same exceptions.
    void skip_entered_object(const omPositionX& child);
    // The next run of text in the element's content; empty at its end.
    kuString text_node();
    // Text from m_current up to the next start or closing tag.
    kuString read_text();
    // Name of the first tag after the start tag at m_object_start; empty for
    // an element entered through a self-closing tag.
    kuString initial_tag() const;

protected:
    char* current() const { return m_current; }
    bool is_char(char c) const { return *m_current == c; }
    bool is_whitespace() const;
    bool is_string(const kuString& s) const;
    bool is_comment() const;
    bool is_cdata() const;
    bool is_closing_tag() const;
    bool is_opening_tag() const;
    bool is_tag() const;
    bool is_tag_name(const kuString& name) const;
    bool self_closing_tag() const;
    kuString read_tag() const;

    void move_on();
    char read_char();
    void skip_char(char c);
    void skip_string(const kuString& s);
    void skip_whitespace();
    void skip_tag();
    void skip_comment();
    kuString read_string_to_char(char c);
    kuString read_cdata();
    kuString make_string_from(const char* from) const;
    kuString find_attribute(const kuString& name, const kuString& default_value);
    bool find_sub_tag(const kuString& name);

    [[noreturn]] void throw_char_error_x(char c) const;
    [[noreturn]] void throw_end_error_x() const;
    [[noreturn]] void throw_tag_error_x(const kuString& tag) const;

    char* m_current;
    char* m_object_start;
    // Once a scan has reached the element's closing tag and checked it (and
    // rewound), m_closing is that tag's '<' and m_content where the rewind put
    // m_current; null before. The buffer never changes, so any later scan of
    // the content could only repeat that result: end_object() and stepping
    // over the element go straight to the closing tag.
    char* m_closing = nullptr;
    char* m_content = nullptr;
    omValueBuffer* m_values = nullptr;
    // The '>' of the start tag of an element entered through a self-closing
    // tag, as object_setup() found it; null for any other.
    char* m_self_closed = nullptr;
};
