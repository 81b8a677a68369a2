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

TEST(ReaderAttributes, LookUp) {
    EXPECT_EQ(attribute_of("<a x=\"1\" y='2'>t</a>\n", "x"), "1");
    EXPECT_EQ(attribute_of("<a x=\"1\"\n\ty='2' >t</a>\n", "y"), "2");
    EXPECT_EQ(attribute_of("<a x=\"1\">t</a>\n", "z"), "default");
    EXPECT_EQ(attribute_of("<a X=\"1\">t</a>\n", "x"), "default");
    EXPECT_EQ(attribute_of("<a x = \"1\" y=\"2\">t</a>\n", "x"), "default");
    EXPECT_EQ(attribute_of("<a x = \"1\" y=\"2\">t</a>\n", "y"), "2");
    EXPECT_EQ(attribute_of("<a x=|v w| y='2'>t</a>\n", "x"), "v w");
    EXPECT_EQ(attribute_of("<a x=\"1>2\">t</a>\n", "x"), "1>2");
    EXPECT_EQ(attribute_of("<a x=\"\">t</a>\n", "x"), "");
    EXPECT_EQ(attribute_of("<!-- c --><a x=\"1\">t</a>\n", "x"), "1");
    EXPECT_THROW(omCursorOn("<a x=\"1>text").cursor.attribute(ku_lit("x"), ku_lit("d")), omEndException);
}

TEST(ReaderAttributes, TheCursorStaysAndTheDefaultIsTheCallersString) {
    omCursorOn c("<a x=\"1\">text<b/></a>\n");
    c.cursor.object_setup();
    c.cursor.text_node();
    long before = c.offset();
    EXPECT_EQ(str(c.cursor.attribute(ku_lit("x"), ku_lit("d"))), "1");
    EXPECT_EQ(c.offset(), before);
    kuString fallback("fallback");
    EXPECT_EQ(c.cursor.attribute(ku_lit("z"), fallback).c_str(), fallback.c_str());
}

TEST(ReaderAttributes, ASelfClosingTagEndsTheSearch) {
    EXPECT_EQ(attribute_of("<a x=\"1\" y=\"2\"/>", "y"), "2");
    EXPECT_EQ(attribute_of("<a x=\"1\"/>\n<b y=\"2\">t</b>", "y"), "default");
    EXPECT_EQ(attribute_of("<a x=\"1\" />\n<b>text without equals</b>", "y"), "default");
    EXPECT_EQ(attribute_of("<a x=\"1\"/>", "y"), "default");
    EXPECT_EQ(attribute_of("<a x=\"1\" />", "y"), "default");
    EXPECT_EQ(attribute_of("<a/>", "y"), "default");
}
