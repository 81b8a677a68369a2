#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/kuString.h"
#include "reader/omAbstractXmlReader.h"
#include "reader/omInitialPositionX.h"
#include "reader/omPositionX.h"

// Shared steps of the reader tests: inline XML as a cursor, a file or a
// reader, and a count of the cursors alive.

inline std::string str(const kuString& s) { return std::string(s.c_str(), static_cast<std::size_t>(s.length())); }

// A cursor with its protected operations opened up for the tests.
class omTestCursor : public omPositionX {
public:
    using omPositionX::current;
    using omPositionX::find_sub_tag;
    using omPositionX::is_cdata;
    using omPositionX::is_char;
    using omPositionX::is_closing_tag;
    using omPositionX::is_comment;
    using omPositionX::is_opening_tag;
    using omPositionX::is_string;
    using omPositionX::is_tag;
    using omPositionX::is_tag_name;
    using omPositionX::move_on;
    using omPositionX::omPositionX;
    using omPositionX::read_cdata;
    using omPositionX::read_char;
    using omPositionX::read_string_to_char;
    using omPositionX::read_tag;
    using omPositionX::self_closing_tag;
    using omPositionX::skip_char;
    using omPositionX::skip_comment;
    using omPositionX::skip_string;
    using omPositionX::skip_tag;
    using omPositionX::skip_whitespace;
};

// An inline text in its own NUL-terminated buffer, with a cursor at its first
// character; offset() is where the cursor is.
struct omCursorOn {
    explicit omCursorOn(const std::string& xml)
        : text(xml.c_str(), xml.c_str() + xml.size() + 1), cursor(text.data()) {}
    long offset() const { return cursor.current() - text.data(); }

    std::vector<char> text;
    omTestCursor cursor;
};

class omTestDeclaration : public omInitialPositionX {
public:
    using omInitialPositionX::current;
    using omInitialPositionX::omInitialPositionX;
};

// The same for the document-level cursor.
struct omDeclarationOn {
    explicit omDeclarationOn(const std::string& xml)
        : text(xml.c_str(), xml.c_str() + xml.size() + 1), cursor(text.data()) {}
    long offset(const char* p) const { return p - text.data(); }
    long offset() const { return offset(cursor.current()); }

    std::vector<char> text;
    omTestDeclaration cursor;
};

// Writes text to a new file under the test temporary directory; returns its path.
std::string write_temp_file(const std::string& text);
// Number of file descriptors this process has open.
int open_descriptor_count();

// A reader made by omSimpleXmlFactory from the path of a file holding xml;
// the file is already unlinked, so nothing is left behind.
std::unique_ptr<omAbstractXmlReader> reader_on(const std::string& xml);
// The same reader after a read_file that must succeed.
std::unique_ptr<omAbstractXmlReader> read_reader_on(const std::string& xml);
std::string dumped(const omAbstractXmlReader& reader);

// Counts the cursors alive that were made while the watch is alive. By
// default only those made by make() count; cursor_sized counts every
// allocation of a cursor's size, which in steps that allocate nothing else of
// that size are the cursors the library makes.
class omCursorWatch {
public:
    enum Scope { made_by_make, cursor_sized };
    explicit omCursorWatch(Scope scope = made_by_make);
    ~omCursorWatch();
    omCursorWatch(const omCursorWatch&) = delete;
    omCursorWatch& operator=(const omCursorWatch&) = delete;
    int alive() const;
    // A new cursor over text, counted while a watch is alive.
    static omPositionX* make(char* text);
};

// The explanation texts, as the reader records them.
extern const std::string kEndError;
std::string char_error(char expected);
std::string tag_error(const std::string& tag);
