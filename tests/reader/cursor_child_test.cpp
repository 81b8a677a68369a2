// Entering elements, finding children, stepping over elements and checking
// closing tags.
#include <gtest/gtest.h>
#include <memory>

#include "reader/omException.h"
#include "reader/reader_support.h"

namespace {

std::string explanation_of(void (*step)(omTestCursor&), const std::string& xml) {
    omCursorOn c(xml);
    try {
        step(c.cursor);
    } catch (omException& e) {
        return str(e.explanation());
    }
    return "no exception";
}

void find_x(omTestCursor& c) {
    c.object_setup();
    c.find_sub_tag(ku_lit("x"));
}
void skip(omTestCursor& c) { c.skip_object(); }

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

} // namespace

TEST(ReaderElements, EnteringAnElement) {
    omCursorOn c("<a x=\"1\">\n  text</a>\n");
    c.cursor.object_setup();
    EXPECT_EQ(c.offset(), 12);
    EXPECT_EQ(explanation_of([](omTestCursor& t) { t.object_setup(); }, "text"), tag_error("Initial tag"));
    omDeclarationOn d("<?xml version=\"1.0\"?>\n<doc>\n</doc>\n");
    EXPECT_EQ(str(d.cursor.initial_tag()), "doc");
}

TEST(ReaderElements, FindingChildren) {
    omCursorOn first("<r><tag_1>a</tag_1><tag>b</tag></r>\n");
    first.cursor.object_setup();
    EXPECT_TRUE(first.cursor.find_sub_tag(ku_lit("tag")));
    EXPECT_EQ(first.offset(), 3);
    omCursorOn c("<r>\n<a>1</a><!-- <b> --><![CDATA[<b>]]>text<b/></r>\n");
    c.cursor.object_setup();
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("a")));
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("a")));
    EXPECT_EQ(c.offset(), 4);
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("b")));
    EXPECT_EQ(c.offset(), 43);
    EXPECT_FALSE(c.cursor.find_sub_tag(ku_lit("zz")));
    EXPECT_EQ(c.offset(), 3);
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("a")));
    std::unique_ptr<omPositionX> child(c.cursor.go_to_sub_tag(3, ku_lit("a")));
    ASSERT_TRUE(child);
    EXPECT_EQ(str(child->text_node()), "1");
    EXPECT_EQ(c.cursor.go_to_sub_tag(3, ku_lit("absent")), nullptr);
}

TEST(ReaderElements, FaultsAreReportedWithTheTagsName) {
    EXPECT_EQ(explanation_of(find_x, "<r><a><b></c></a></r>\n"), tag_error("b"));
    EXPECT_EQ(explanation_of(find_x, "<r><a/></s>\n"), tag_error("s"));
    EXPECT_EQ(explanation_of(find_x, "<r><?pi x?><a/></r>\n"), tag_error("?pi"));
    EXPECT_EQ(explanation_of(find_x, "<r><a\nx=\"1\"></a></r>\n"), tag_error("a\nx=\"1\""));
    EXPECT_EQ(explanation_of(find_x, "<r><a/>"), kEndError);
    EXPECT_EQ(explanation_of(skip, "<a><b></bc></a>\n"), tag_error("b"));
    EXPECT_EQ(explanation_of(skip, "<ab></a></ab>\n"), tag_error("ab"));
    EXPECT_EQ(explanation_of(skip, "<a></a"), kEndError);
    EXPECT_EQ(explanation_of(skip, "<a></a>"), kEndError);
    omCursorOn bad("<r><a/></s>\n");
    bad.cursor.object_setup();
    EXPECT_THROW(bad.cursor.end_object(), omTagException);
}

TEST(ReaderElements, SteppingOverElements) {
    omCursorOn c("<a x=\"1\"><b>t<!--c--><![CDATA[</a>]]></b><c/></a>tail");
    c.cursor.skip_object();
    EXPECT_EQ(c.offset(), 49);
    omCursorOn ended("<r><a/>text<b>x</b><!--c--></r>\n");
    ended.cursor.object_setup();
    ended.cursor.end_object();
    EXPECT_EQ(ended.offset(), 3);
}

TEST(ReaderElements, AHundredThousandDeepElement) {
    const int depth = 100000;
    std::string deep = repeat("<d>", depth) + "x" + repeat("</d>", depth);
    omCursorOn c(deep + "\n");
    c.cursor.skip_object();
    EXPECT_EQ(c.offset(), static_cast<long>(deep.size()));
    omCursorOn parent("<r>" + deep + "<x>found</x></r>\n");
    parent.cursor.object_setup();
    std::unique_ptr<omPositionX> child(parent.cursor.go_to_sub_tag(3, ku_lit("x")));
    ASSERT_TRUE(child);
    EXPECT_EQ(str(child->text_node()), "found");
    EXPECT_EQ(explanation_of(skip, repeat("<d>", depth) + "<e></f>" + repeat("</d>", depth) + "\n"), tag_error("e"));
    EXPECT_EQ(explanation_of(skip, repeat("<d>", depth) + "text"), kEndError);
}

TEST(ReaderElements, SelfClosingElementsAreEnteredReadAndLeft) {
    omCursorOn c("<r><a x=\"1\"/>tail<b/></r>\n");
    c.cursor.object_setup();
    std::unique_ptr<omPositionX> child(c.cursor.go_to_sub_tag(3, ku_lit("a")));
    ASSERT_TRUE(child);
    EXPECT_EQ(str(child->text_node()), "");
    EXPECT_EQ(child->go_to_sub_tag(3, ku_lit("b")), nullptr);
    EXPECT_NO_THROW(child->end_object());
    EXPECT_EQ(str(child->attribute(ku_lit("x"), ku_lit("d"))), "1");
    EXPECT_EQ(str(child->initial_tag()), "");
    c.cursor.skip_entered_object(*child);
    EXPECT_EQ(str(c.cursor.text_node()), "tail");
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("b")));
    omCursorOn last("<a k=\"v\"/>");
    EXPECT_NO_THROW(last.cursor.object_setup());
    EXPECT_EQ(str(last.cursor.text_node()), "");
    EXPECT_NO_THROW(last.cursor.end_object());
}
