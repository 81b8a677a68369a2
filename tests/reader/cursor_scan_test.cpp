// Moving, looking ahead and reading tag names: the end-of-buffer rule says the
// last character can be examined but never consumed.
#include <gtest/gtest.h>

#include "reader/omException.h"
#include "reader/reader_support.h"

TEST(ReaderCursorMove, MoveOnAdvancesOneCharacter) {
    omCursorOn c("abc");
    c.cursor.move_on();
    EXPECT_EQ(c.offset(), 1);
    EXPECT_EQ(c.cursor.read_char(), 'b');
    EXPECT_EQ(c.offset(), 2);
}

TEST(ReaderCursorMove, ConsumingTheLastCharacterThrowsTheEndError) {
    omCursorOn c("ab");
    c.cursor.move_on();
    EXPECT_TRUE(c.cursor.is_char('b'));
    EXPECT_THROW(c.cursor.read_char(), omEndException);
}

TEST(ReaderCursorMove, MovingOnTheNulThrowsTheEndError) {
    omCursorOn c("");
    EXPECT_THROW(c.cursor.move_on(), omEndException);
}

TEST(ReaderCursorMove, SkipCharThrowsTheExpectedCharacter) {
    omCursorOn c("<a>");
    c.cursor.skip_char('<');
    EXPECT_EQ(c.offset(), 1);
    try {
        c.cursor.skip_char('=');
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), char_error('='));
    }
    EXPECT_EQ(c.offset(), 1);
}

TEST(ReaderCursorMove, SkipStringConsumesTheMatchingPrefixBeforeThrowing) {
    omCursorOn c("<?xmk ");
    EXPECT_THROW(c.cursor.skip_string(ku_lit("<?xml")), omCharException);
    EXPECT_EQ(c.offset(), 4);
}

TEST(ReaderCursorMove, SkipWhitespaceKnowsExactlyFourBytes) {
    omCursorOn c(" \n\r\t\v.");
    c.cursor.skip_whitespace();
    EXPECT_EQ(c.offset(), 4);
    EXPECT_FALSE(c.cursor.is_whitespace());
}

TEST(ReaderCursorMove, TrailingWhitespaceRunsOffTheEnd) {
    omCursorOn c("x  ");
    c.cursor.move_on();
    EXPECT_THROW(c.cursor.skip_whitespace(), omEndException);
}

TEST(ReaderCursorMove, ReadStringToCharStopsOnTheCharacter) {
    omCursorOn c("key=value");
    EXPECT_EQ(str(c.cursor.read_string_to_char('=')), "key");
    EXPECT_EQ(c.offset(), 3);
    EXPECT_EQ(str(c.cursor.read_string_to_char('=')), "");
    EXPECT_EQ(c.offset(), 3);
}

TEST(ReaderCursorMove, ReadStringToAnAbsentCharacterThrowsTheEndError) {
    omCursorOn c("no quote here");
    EXPECT_THROW(c.cursor.read_string_to_char('"'), omEndException);
}

TEST(ReaderCursorMove, ReadStringToTheLastCharacterIsAllowed) {
    omCursorOn c("abc>");
    EXPECT_EQ(str(c.cursor.read_string_to_char('>')), "abc");
}

TEST(ReaderCursorMove, SkipTagPassesTheFirstCloseBracket) {
    omCursorOn c("<a x='>'>rest");
    c.cursor.skip_tag();
    EXPECT_EQ(c.offset(), 7);
}

TEST(ReaderCursorMove, SkippingATagThatEndsTheBufferThrowsTheEndError) {
    omCursorOn c("<a></a>");
    c.cursor.skip_tag();
    EXPECT_EQ(c.offset(), 3);
    EXPECT_THROW(c.cursor.skip_tag(), omEndException);
}

TEST(ReaderCursorMove, MakeStringFromTakesTheCharactersPassed) {
    omCursorOn c("hello world");
    for (int i = 0; i < 5; ++i)
        c.cursor.move_on();
    EXPECT_EQ(str(c.cursor.make_string_from(c.at(0))), "hello");
    EXPECT_EQ(str(c.cursor.make_string_from(c.at(5))), "");
}

TEST(ReaderCursorLookAhead, IsStringDoesNotMove) {
    omCursorOn c("<!-- x -->.");
    EXPECT_TRUE(c.cursor.is_string(ku_lit("<!-")));
    EXPECT_FALSE(c.cursor.is_string(ku_lit("<!x")));
    EXPECT_TRUE(c.cursor.is_string(ku_lit("")));
    EXPECT_EQ(c.offset(), 0);
}

TEST(ReaderCursorLookAhead, ALookAheadThatReadsTheLastCharacterThrows) {
    omCursorOn c("<a");
    EXPECT_THROW(c.cursor.is_string(ku_lit("<a")), omEndException);
    EXPECT_THROW(c.cursor.is_string(ku_lit("<b")), omEndException);
    EXPECT_FALSE(c.cursor.is_string(ku_lit("x")));
}

TEST(ReaderCursorLookAhead, WhatALessThanSignOpens) {
    omCursorOn comment("<!-- c -->.");
    EXPECT_TRUE(comment.cursor.is_comment());
    EXPECT_FALSE(comment.cursor.is_opening_tag());
    EXPECT_FALSE(comment.cursor.is_tag());
    omCursorOn cdata("<![CDATA[x]]>.");
    EXPECT_TRUE(cdata.cursor.is_cdata());
    EXPECT_FALSE(cdata.cursor.is_opening_tag());
    EXPECT_FALSE(cdata.cursor.is_tag());
    omCursorOn closing("</a>.");
    EXPECT_TRUE(closing.cursor.is_closing_tag());
    EXPECT_FALSE(closing.cursor.is_opening_tag());
    EXPECT_TRUE(closing.cursor.is_tag());
    omCursorOn start("<a>.");
    EXPECT_TRUE(start.cursor.is_opening_tag());
    EXPECT_TRUE(start.cursor.is_tag());
    omCursorOn text("text");
    EXPECT_FALSE(text.cursor.is_opening_tag());
    EXPECT_FALSE(text.cursor.is_tag());
}

TEST(ReaderCursorLookAhead, ProcessingInstructionsAndDeclarationsAreStartTags) {
    omCursorOn pi("<?pi x?>.");
    EXPECT_TRUE(pi.cursor.is_opening_tag());
    omCursorOn doctype("<!DOCTYPE a>.");
    EXPECT_TRUE(doctype.cursor.is_opening_tag());
}

TEST(ReaderCursorLookAhead, TagNameMatchesStartAndClosingTagsByPrefix) {
    omCursorOn start("<ab>.");
    EXPECT_TRUE(start.cursor.is_tag_name(ku_lit("a")));
    EXPECT_TRUE(start.cursor.is_tag_name(ku_lit("ab")));
    EXPECT_FALSE(start.cursor.is_tag_name(ku_lit("b")));
    omCursorOn closing("</ab>.");
    EXPECT_TRUE(closing.cursor.is_tag_name(ku_lit("ab")));
    EXPECT_FALSE(closing.cursor.is_tag_name(ku_lit("abc")));
}

TEST(ReaderCursorTagName, ReadTagOfStartClosingAndSelfClosingTags) {
    EXPECT_EQ(str(omCursorOn("<a>.").cursor.read_tag()), "a");
    EXPECT_EQ(str(omCursorOn("</a>.").cursor.read_tag()), "a");
    EXPECT_EQ(str(omCursorOn("<a x='1'>.").cursor.read_tag()), "a");
    EXPECT_EQ(str(omCursorOn("<a/>.").cursor.read_tag()), "a/");
    EXPECT_EQ(str(omCursorOn("<a\tx='1'>.").cursor.read_tag()), "a\tx='1'");
}

TEST(ReaderCursorTagName, ReadTagDoesNotMove) {
    omCursorOn c("<name attr='1'>");
    c.cursor.read_tag();
    EXPECT_EQ(c.offset(), 0);
}

TEST(ReaderCursorTagName, ReadTagWithoutALessThanSignThrowsForIt) {
    try {
        omCursorOn("a>").cursor.read_tag();
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), char_error('<'));
    }
}

TEST(ReaderCursorTagName, AnUnclosedTagNameRunsOffTheEnd) {
    EXPECT_THROW(omCursorOn("<abc").cursor.read_tag(), omEndException);
}

TEST(ReaderCursorTagName, SelfClosingLooksAtTheCharacterBeforeTheFirstCloseBracket) {
    EXPECT_TRUE(omCursorOn("<a/>.").cursor.self_closing_tag());
    EXPECT_TRUE(omCursorOn("<a x='1' />.").cursor.self_closing_tag());
    EXPECT_FALSE(omCursorOn("<a>.").cursor.self_closing_tag());
    EXPECT_FALSE(omCursorOn(">.").cursor.self_closing_tag());
    EXPECT_THROW(omCursorOn("<a/").cursor.self_closing_tag(), omEndException);
}
