// Moving, looking ahead and reading tag names: the end-of-buffer rule says the
// last character can be examined but never consumed.
#include <gtest/gtest.h>

#include "reader/omException.h"
#include "reader/reader_support.h"

TEST(ReaderCursor, TheLastCharacterCanBeExaminedButNeverConsumed) {
    omCursorOn c("ab");
    EXPECT_EQ(c.cursor.read_char(), 'a');
    EXPECT_TRUE(c.cursor.is_char('b'));
    EXPECT_THROW(c.cursor.read_char(), omEndException);
    EXPECT_THROW(omCursorOn("").cursor.move_on(), omEndException);
    EXPECT_EQ(str(omCursorOn("abc>").cursor.read_string_to_char('>')), "abc");
    EXPECT_THROW(omCursorOn("no quote").cursor.read_string_to_char('"'), omEndException);
    omCursorOn spaces("x  ");
    spaces.cursor.move_on();
    EXPECT_THROW(spaces.cursor.skip_whitespace(), omEndException);
    omCursorOn tags("<a></a>");
    tags.cursor.skip_tag();
    EXPECT_EQ(tags.offset(), 3);
    EXPECT_THROW(tags.cursor.skip_tag(), omEndException);
    omCursorOn ahead("<a");
    EXPECT_THROW(ahead.cursor.is_string(ku_lit("<a")), omEndException);
    EXPECT_FALSE(ahead.cursor.is_string(ku_lit("x")));
    EXPECT_THROW(omCursorOn("<abc").cursor.read_tag(), omEndException);
    EXPECT_THROW(omCursorOn("<a/").cursor.self_closing_tag(), omEndException);
}

TEST(ReaderCursor, SkippingExpectedCharacters) {
    omCursorOn c("<a>");
    c.cursor.skip_char('<');
    try {
        c.cursor.skip_char('=');
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), char_error('='));
    }
    EXPECT_EQ(c.offset(), 1);
    omCursorOn partial("<?xmk ");
    EXPECT_THROW(partial.cursor.skip_string(ku_lit("<?xml")), omCharException);
    EXPECT_EQ(partial.offset(), 4);
    omCursorOn blanks(" \n\r\t\v.");
    blanks.cursor.skip_whitespace();
    EXPECT_EQ(blanks.offset(), 4);
    omCursorOn quoted("<a x='>'>rest");
    quoted.cursor.skip_tag();
    EXPECT_EQ(quoted.offset(), 7);
}

TEST(ReaderCursor, TagNames) {
    EXPECT_EQ(str(omCursorOn("</a>.").cursor.read_tag()), "a");
    EXPECT_EQ(str(omCursorOn("<a x='1'>.").cursor.read_tag()), "a");
    EXPECT_EQ(str(omCursorOn("<a/>.").cursor.read_tag()), "a/");
    EXPECT_EQ(str(omCursorOn("<a\tx='1'>.").cursor.read_tag()), "a\tx='1'");
    try {
        omCursorOn("a>").cursor.read_tag();
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), char_error('<'));
    }
    EXPECT_TRUE(omCursorOn("<a x='1' />.").cursor.self_closing_tag());
    EXPECT_FALSE(omCursorOn("<a>.").cursor.self_closing_tag());
}
