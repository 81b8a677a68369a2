#include <gtest/gtest.h>
#include <memory>

#include "reader/omException.h"
#include "reader/reader_support.h"

TEST(ReaderErrors, TagExplanationNamesTheTag) {
    EXPECT_EQ(str(omTagException(ku_lit("b")).explanation()), "omTagException:: Something wrong with tag b\n");
}

TEST(ReaderErrors, TagExplanationOfAnEmptyTagIsTheFixedTextAndALineFeed) {
    EXPECT_EQ(str(omTagException(ku_lit("")).explanation()), "omTagException:: Something wrong with tag \n");
}

TEST(ReaderErrors, EndExplanation) {
    EXPECT_EQ(str(omEndException().explanation()), "omEndException:: Xml reader moved of the end of the file\n");
}

TEST(ReaderErrors, CharExplanationNamesTheExpectedCharacter) {
    EXPECT_EQ(str(omCharException('>').explanation()), "omCharException:: Xml file did not contain expected char >\n");
}

TEST(ReaderErrors, CharExplanationOfASpaceEndsInTwoSpacesAndALineFeed) {
    EXPECT_EQ(str(omCharException(' ').explanation()), "omCharException:: Xml file did not contain expected char  \n");
}

TEST(ReaderErrors, CopiedTagExceptionKeepsItsTagAfterTheSourceIsGone) {
    auto source = std::make_unique<omTagException>(kuString("heap-tag"));
    omTagException copy(*source);
    omTagException assigned(ku_lit("other"));
    assigned = *source;
    source.reset();
    EXPECT_EQ(str(copy.explanation()), tag_error("heap-tag"));
    EXPECT_EQ(str(assigned.explanation()), tag_error("heap-tag"));
}

TEST(ReaderErrors, TagExceptionSharesTheStringsCountedBuffer) {
    kuString tag("shared");
    omTagException error(tag);
    EXPECT_EQ(tag.share_count(), 2);
}

TEST(ReaderErrors, CaughtThroughTheBase) {
    try {
        throw omCharException('=');
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), char_error('='));
    }
    omEndException end;
    omEndException end_copy(end);
    end_copy = end;
    omCharException c('a');
    c = omCharException('b');
    EXPECT_EQ(str(c.explanation()), char_error('b'));
}
