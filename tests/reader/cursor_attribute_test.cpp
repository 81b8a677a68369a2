// Attribute look-up in an element's start tag.
#include <gtest/gtest.h>

#include "reader/omException.h"
#include "reader/reader_support.h"

namespace {

std::string attribute_of(const std::string& xml, const char* name) {
    omCursorOn c(xml);
    c.cursor.object_setup();
    return str(c.cursor.attribute(kuString(name), ku_lit("default")));
}

} // namespace

TEST(ReaderAttributes, DoubleAndSingleQuotedValues) {
    EXPECT_EQ(attribute_of("<a x=\"1\" y='2'>t</a>\n", "x"), "1");
    EXPECT_EQ(attribute_of("<a x=\"1\" y='2'>t</a>\n", "y"), "2");
}

TEST(ReaderAttributes, AnAbsentNameGivesTheDefault) {
    EXPECT_EQ(attribute_of("<a x=\"1\">t</a>\n", "z"), "default");
    EXPECT_EQ(attribute_of("<a>t</a>\n", "x"), "default");
}

TEST(ReaderAttributes, TheDefaultIsACopyOfTheCallersString) {
    omCursorOn c("<a>t</a>\n");
    kuString fallback("fallback");
    kuString found = c.cursor.attribute(ku_lit("x"), fallback);
    EXPECT_EQ(found.c_str(), fallback.c_str());
}

TEST(ReaderAttributes, NamesAreCaseSensitive) { EXPECT_EQ(attribute_of("<a X=\"1\">t</a>\n", "x"), "default"); }

TEST(ReaderAttributes, SpacesAroundTheEqualsSignHideTheAttribute) {
    EXPECT_EQ(attribute_of("<a x = \"1\" y=\"2\">t</a>\n", "x"), "default");
    EXPECT_EQ(attribute_of("<a x = \"1\" y=\"2\">t</a>\n", "y"), "2");
}

TEST(ReaderAttributes, AnyCharacterAfterTheEqualsSignIsTheQuote) {
    EXPECT_EQ(attribute_of("<a x=|v w| y='2'>t</a>\n", "x"), "v w");
}

TEST(ReaderAttributes, AValueMayHoldACloseBracket) { EXPECT_EQ(attribute_of("<a x=\"1>2\">t</a>\n", "x"), "1>2"); }

TEST(ReaderAttributes, WhitespaceBetweenGroups) {
    EXPECT_EQ(attribute_of("<a x=\"1\"\n\ty=\"2\" >t</a>\n", "y"), "2");
    EXPECT_EQ(attribute_of("<a x=\"1\"\n\ty=\"2\" >t</a>\n", "z"), "default");
}

TEST(ReaderAttributes, AnEmptyValue) { EXPECT_EQ(attribute_of("<a x=\"\">t</a>\n", "x"), ""); }

TEST(ReaderAttributes, AnUnclosedQuoteRunsOffTheEnd) {
    omCursorOn c("<a x=\"1>text");
    EXPECT_THROW(c.cursor.attribute(ku_lit("x"), ku_lit("d")), omEndException);
}

TEST(ReaderAttributes, TheCursorDoesNotMove) {
    omCursorOn c("<a x=\"1\">text<b/></a>\n");
    c.cursor.object_setup();
    c.cursor.text_node();
    long before = c.offset();
    EXPECT_EQ(str(c.cursor.attribute(ku_lit("x"), ku_lit("d"))), "1");
    EXPECT_EQ(c.offset(), before);
}

TEST(ReaderAttributes, CommentsBeforeTheElementAreNotItsStartTag) {
    EXPECT_EQ(attribute_of("<!-- c --><!-- d --><a x=\"1\">t</a>\n", "x"), "1");
}

TEST(ReaderAttributes, FindAttributeScansTheStartTagAtTheCursor) {
    omCursorOn c("<a k=\"v\">");
    EXPECT_EQ(str(c.cursor.find_attribute(ku_lit("k"), ku_lit("d"))), "v");
}

TEST(ReaderAttributesSelfClosing, PresentNamesAreFound) {
    EXPECT_EQ(attribute_of("<a x=\"1\" y=\"2\"/>", "y"), "2");
    EXPECT_EQ(attribute_of("<a x=\"1\"/>", "x"), "1");
}

TEST(ReaderAttributesSelfClosing, AnAbsentNameStopsAtTheTagsEnd) {
    EXPECT_EQ(attribute_of("<a x=\"1\"/>\n<b y=\"2\">t</b>", "y"), "default");
    EXPECT_EQ(attribute_of("<a x=\"1\" />\n<b>text without equals</b>", "y"), "default");
    EXPECT_EQ(attribute_of("<a />\n<b>text</b>", "y"), "default");
    EXPECT_EQ(attribute_of("<a/>", "y"), "default");
}

TEST(ReaderAttributesSelfClosing, ATagAtTheBuffersEndIsReadWithoutError) {
    EXPECT_EQ(attribute_of("<a x=\"1\"/>", "y"), "default");
    EXPECT_EQ(attribute_of("<a x=\"1\" />", "y"), "default");
}
