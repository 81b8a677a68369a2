// Entering elements, finding children, stepping over elements and checking
// closing tags.
#include <gtest/gtest.h>
#include <memory>

#include "reader/omException.h"
#include "reader/reader_support.h"

namespace {

std::string explanation_of_find(const std::string& xml, const char* name) {
    omCursorOn c(xml);
    c.cursor.object_setup();
    try {
        c.cursor.find_sub_tag(kuString(name));
    } catch (omException& e) {
        return str(e.explanation());
    }
    return "no exception";
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

} // namespace

TEST(ReaderElements, ObjectSetupPassesTheStartTagAndTheWhitespaceAfterIt) {
    omCursorOn c("<a x=\"1\">\n  text</a>\n");
    c.cursor.object_setup();
    EXPECT_EQ(c.offset(), 12);
}

TEST(ReaderElements, ObjectSetupWithoutAStartTagThrowsInitialTag) {
    omCursorOn c("text");
    try {
        c.cursor.object_setup();
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), tag_error("Initial tag"));
    }
}

TEST(ReaderElements, InitialTagNamesTheFirstTagAfterTheStartTag) {
    omDeclarationOn d("<?xml version=\"1.0\"?>\n<doc>\n</doc>\n");
    EXPECT_EQ(str(d.cursor.initial_tag()), "doc");
    omCursorOn c("<a>\n<b/></a>\n");
    EXPECT_EQ(str(c.cursor.initial_tag()), "b/");
}

TEST(ReaderChildren, APrefixNameStopsAtWhicheverComesFirst) {
    omCursorOn first("<r><tag_1>a</tag_1><tag>b</tag></r>\n");
    first.cursor.object_setup();
    EXPECT_TRUE(first.cursor.find_sub_tag(ku_lit("tag")));
    EXPECT_EQ(first.offset(), 3);
    omCursorOn second("<r><tag>b</tag><tag_1>a</tag_1></r>\n");
    second.cursor.object_setup();
    EXPECT_TRUE(second.cursor.find_sub_tag(ku_lit("tag_1")));
    EXPECT_EQ(second.offset(), 15);
}

TEST(ReaderChildren, GoToSubTagReturnsACursorEnteredIntoTheChild) {
    omCursorOn c("<r>\n  <a k=\"v\">text</a>\n</r>\n");
    c.cursor.object_setup();
    std::unique_ptr<omPositionX> child(c.cursor.go_to_sub_tag(3, ku_lit("a")));
    ASSERT_TRUE(child);
    EXPECT_EQ(str(child->attribute(ku_lit("k"), ku_lit(""))), "v");
    EXPECT_EQ(str(child->text_node()), "text");
    EXPECT_EQ(c.cursor.go_to_sub_tag(3, ku_lit("absent")), nullptr);
}

TEST(ReaderChildren, SearchingAgainFindsTheSameChildUntilItIsSteppedOver) {
    omCursorOn c("<r><a>1</a><a>2</a></r>\n");
    c.cursor.object_setup();
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("a")));
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("a")));
    EXPECT_EQ(c.offset(), 3);
    c.cursor.skip_object();
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("a")));
    EXPECT_EQ(c.offset(), 11);
}

TEST(ReaderChildren, AFailedSearchRewindsToTheStartOfTheContent) {
    omCursorOn c("<r><a/><b/></r>\n");
    c.cursor.object_setup();
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("b")));
    EXPECT_FALSE(c.cursor.find_sub_tag(ku_lit("zz")));
    EXPECT_EQ(c.offset(), 3);
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("a")));
}

TEST(ReaderChildren, TheRewindDoesNotSkipTheWhitespaceAfterTheStartTag) {
    omCursorOn c("<r>\n  <a/>\n</r>\n");
    c.cursor.object_setup();
    EXPECT_FALSE(c.cursor.find_sub_tag(ku_lit("zz")));
    EXPECT_EQ(c.offset(), 3);
}

TEST(ReaderChildren, CommentsTextAndCdataAreSteppedOver) {
    omCursorOn c("<r>text<!-- <x> --><![CDATA[<x>]]>more<x>1</x></r>\n");
    c.cursor.object_setup();
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("x")));
    EXPECT_EQ(c.offset(), 38);
}

TEST(ReaderChildren, AnEmptyElementHasNoChildren) {
    omCursorOn c("<a></a>\n");
    c.cursor.object_setup();
    EXPECT_FALSE(c.cursor.find_sub_tag(ku_lit("a")));
    EXPECT_FALSE(c.cursor.find_sub_tag(ku_lit("")));
}

TEST(ReaderChildren, AMismatchedChildIsReportedWithItsStartTagsName) {
    EXPECT_EQ(explanation_of_find("<r><a><b></c></a></r>\n", "x"), tag_error("b"));
}

TEST(ReaderChildren, AMismatchedClosingTagOfTheElementIsReportedWithItsOwnName) {
    EXPECT_EQ(explanation_of_find("<r><a/></s>\n", "x"), tag_error("s"));
}

TEST(ReaderChildren, AProcessingInstructionInContentIsTakenForAStartTag) {
    EXPECT_EQ(explanation_of_find("<r><?pi x?><a/></r>\n", "a"), tag_error("?pi"));
    EXPECT_EQ(explanation_of_find("<r><!DOCTYPE r><a/></r>\n", "a"), tag_error("!DOCTYPE"));
}

TEST(ReaderChildren, ALineBreakAfterAStartTagsNameBecomesPartOfTheName) {
    EXPECT_EQ(explanation_of_find("<r><a\nx=\"1\"></a></r>\n", "b"), tag_error("a\nx=\"1\""));
}

TEST(ReaderChildren, ASearchThatRunsPastTheLastElementThrowsTheEndError) {
    EXPECT_EQ(explanation_of_find("<r><a/>", "b"), kEndError);
}

TEST(ReaderSkipping, SkipObjectStepsOverTheWholeElement) {
    omCursorOn c("<a x=\"1\"><b>t<!--c--><![CDATA[</a>]]></b><c/></a>tail");
    c.cursor.skip_object();
    EXPECT_EQ(c.offset(), 49);
}

TEST(ReaderSkipping, SkipObjectOfASelfClosingElement) {
    omCursorOn c("<a x=\"1\"/>tail");
    c.cursor.skip_object();
    EXPECT_EQ(c.offset(), 10);
}

TEST(ReaderSkipping, ConsumingTheLastCloseBracketOfTheBufferThrowsTheEndError) {
    omCursorOn c("<a></a>");
    EXPECT_THROW(c.cursor.skip_object(), omEndException);
}

TEST(ReaderSkipping, EndObjectChecksTheClosingTagAndRewinds) {
    omCursorOn c("<r><a/>text<b>x</b><!--c--></r>\n");
    c.cursor.object_setup();
    c.cursor.end_object();
    EXPECT_EQ(c.offset(), 3);
    omCursorOn bad("<r><a/></s>\n");
    bad.cursor.object_setup();
    EXPECT_THROW(bad.cursor.end_object(), omTagException);
}

TEST(ReaderSkipping, AHundredThousandDeepElementIsSteppedOver) {
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
}

TEST(ReaderSkipping, AFaultAHundredThousandLevelsDownIsReported) {
    const int depth = 100000;
    omCursorOn mismatched(repeat("<d>", depth) + "<e></f>" + repeat("</d>", depth) + "\n");
    try {
        mismatched.cursor.skip_object();
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), tag_error("e"));
    }
    omCursorOn truncated(repeat("<d>", depth) + "text");
    EXPECT_THROW(truncated.cursor.skip_object(), omEndException);
}

// An element entered through a self-closing start tag has empty content.
TEST(ReaderSelfClosing, AnEnteredSelfClosingElementIsEmpty) {
    omCursorOn c("<r><a x=\"1\"/>tail<b/></r>\n");
    c.cursor.object_setup();
    std::unique_ptr<omPositionX> child(c.cursor.go_to_sub_tag(3, ku_lit("a")));
    ASSERT_TRUE(child);
    EXPECT_EQ(str(child->text_node()), "");
    EXPECT_EQ(child->go_to_sub_tag(3, ku_lit("b")), nullptr);
    EXPECT_EQ(child->go_to_sub_tag(3, ku_lit("a")), nullptr);
    EXPECT_NO_THROW(child->end_object());
    EXPECT_EQ(str(child->text_node()), "");
    EXPECT_EQ(str(child->attribute(ku_lit("x"), ku_lit("d"))), "1");
    EXPECT_EQ(str(child->attribute(ku_lit("y"), ku_lit("d"))), "d");
    EXPECT_EQ(str(child->initial_tag()), "");
}

TEST(ReaderSelfClosing, TheParentStillStepsOverTheChild) {
    omCursorOn c("<r><a x=\"1\"/>tail<b/></r>\n");
    c.cursor.object_setup();
    std::unique_ptr<omPositionX> child(c.cursor.go_to_sub_tag(3, ku_lit("a")));
    child->text_node();
    c.cursor.skip_object();
    EXPECT_EQ(str(c.cursor.text_node()), "tail");
    EXPECT_TRUE(c.cursor.find_sub_tag(ku_lit("b")));
}

TEST(ReaderSelfClosing, ASelfClosingElementAtTheBuffersEnd) {
    omCursorOn c("<a k=\"v\"/>");
    EXPECT_NO_THROW(c.cursor.object_setup());
    EXPECT_EQ(str(c.cursor.text_node()), "");
    EXPECT_NO_THROW(c.cursor.end_object());
    EXPECT_EQ(str(c.cursor.attribute(ku_lit("k"), ku_lit("d"))), "v");
}

TEST(ReaderSelfClosing, ContentThatBeginsWithSlashBracketIsNotMistakenForIt) {
    omCursorOn c("<a>/>text<b/></a>\n");
    c.cursor.object_setup();
    EXPECT_EQ(str(c.cursor.text_node()), "/>text");
    EXPECT_FALSE(c.cursor.find_sub_tag(ku_lit("x")));
    EXPECT_EQ(str(c.cursor.text_node()), "/>text");
}

TEST(ReaderSkipping, ClosingTagsAreComparedByTheWholeName) {
    omCursorOn spaced("<a><b></b ></a >tail");
    spaced.cursor.skip_object();
    EXPECT_EQ(spaced.offset(), 16);
    omCursorOn longer("<a><b></bc></a>\n");
    try {
        longer.cursor.skip_object();
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), tag_error("b"));
    }
    omCursorOn shorter("<ab></a></ab>\n");
    EXPECT_THROW(shorter.cursor.skip_object(), omTagException);
    omCursorOn truncated("<a></a");
    EXPECT_THROW(truncated.cursor.skip_object(), omEndException);
}

TEST(ReaderSkipping, SkipEnteredObjectGoesOnFromWhereTheChildStands) {
    omCursorOn c("<r><a><b>x</b>text<c/></a>tail</r>\n");
    c.cursor.object_setup();
    std::unique_ptr<omPositionX> child(c.cursor.go_to_sub_tag(3, ku_lit("a")));
    std::unique_ptr<omPositionX> grandchild(child->go_to_sub_tag(3, ku_lit("b")));
    child->skip_entered_object(*grandchild);
    EXPECT_EQ(str(child->text_node()), "text");
    c.cursor.skip_entered_object(*child);
    EXPECT_EQ(str(c.cursor.text_node()), "tail");
}

TEST(ReaderSkipping, SkipEnteredObjectStillChecksWhatTheChildHasNotRead) {
    omCursorOn c("<r><a><b>x</b><c></d></a></r>\n");
    c.cursor.object_setup();
    std::unique_ptr<omPositionX> child(c.cursor.go_to_sub_tag(3, ku_lit("a")));
    std::unique_ptr<omPositionX> grandchild(child->go_to_sub_tag(3, ku_lit("b")));
    child->skip_entered_object(*grandchild);
    try {
        c.cursor.skip_entered_object(*child);
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), tag_error("c"));
    }
}

TEST(ReaderSkipping, SkipEnteredObjectOfARewoundOrSelfClosingChild) {
    omCursorOn rewound("<r><ab><x/></a></r>\n");
    rewound.cursor.object_setup();
    std::unique_ptr<omPositionX> child(rewound.cursor.go_to_sub_tag(3, ku_lit("ab")));
    EXPECT_FALSE(child->go_to_sub_tag(3, ku_lit("q")));
    EXPECT_THROW(rewound.cursor.skip_entered_object(*child), omTagException);

    omCursorOn closed("<r><a/>tail</r>\n");
    closed.cursor.object_setup();
    std::unique_ptr<omPositionX> empty(closed.cursor.go_to_sub_tag(3, ku_lit("a")));
    closed.cursor.skip_entered_object(*empty);
    EXPECT_EQ(str(closed.cursor.text_node()), "tail");
}
