// The exact explanation texts of the reader's exceptions.
#include <gtest/gtest.h>
#include <memory>

#include "reader/omException.h"
#include "reader/reader_support.h"

TEST(ReaderErrors, ExplanationTexts) {
    EXPECT_EQ(str(omTagException(ku_lit("b")).explanation()), "omTagException:: Something wrong with tag b\n");
    EXPECT_EQ(str(omTagException(ku_lit("")).explanation()), "omTagException:: Something wrong with tag \n");
    EXPECT_EQ(str(omEndException().explanation()), "omEndException:: Xml reader moved of the end of the file\n");
    EXPECT_EQ(str(omCharException('>').explanation()), "omCharException:: Xml file did not contain expected char >\n");
    EXPECT_EQ(str(omCharException(' ').explanation()), "omCharException:: Xml file did not contain expected char  \n");
    EXPECT_EQ(kEndError, str(omEndException().explanation()));
    EXPECT_EQ(char_error('>'), str(omCharException('>').explanation()));
    EXPECT_EQ(tag_error("b"), str(omTagException(ku_lit("b")).explanation()));
}

TEST(ReaderErrors, CopiesKeepTheTagAfterTheSourceIsGone) {
    auto source = std::make_unique<omTagException>(kuString("heap-tag"));
    omTagException copy(*source);
    omTagException assigned(ku_lit("other"));
    assigned = *source;
    source.reset();
    EXPECT_EQ(str(copy.explanation()), tag_error("heap-tag"));
    EXPECT_EQ(str(assigned.explanation()), tag_error("heap-tag"));
    omCharException c('a');
    c = omCharException('b');
    EXPECT_EQ(str(c.explanation()), char_error('b'));
}
