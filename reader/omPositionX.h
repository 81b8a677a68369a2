#pragma once

#include "platform/kuMarkers.h"
#include "platform/kuString.h"

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
class omPositionX {
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
};
