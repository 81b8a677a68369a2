// Comments, CDATA sections and the runs of text that text_node joins.
#include <gtest/gtest.h>

#include "reader/omException.h"
#include "reader/reader_support.h"

namespace {

// The texts text_node gives for the element at the start of xml, up to and
// including the empty one at its end.
std::vector<std::string> runs_of(const std::string& xml) {
    omCursorOn c(xml);
    c.cursor.object_setup();
    std::vector<std::string> runs;
    for (int i = 0; i < 10; ++i) {
        runs.push_back(str(c.cursor.text_node()));
        if (runs.back().empty())
            break;
    }
    return runs;
}

using Runs = std::vector<std::string>;

} // namespace

TEST(ReaderComments, SkipCommentPassesTheWholeComment) {
    omCursorOn c("<!-- a - b -->x");
    c.cursor.skip_comment();
    EXPECT_EQ(c.offset(), 14);
}

TEST(ReaderComments, AnEmptyCommentIsComplete) {
    omCursorOn c("<!---->x");
    c.cursor.skip_comment();
    EXPECT_EQ(c.offset(), 7);
}

TEST(ReaderComments, TwoHyphensInsideACommentMustBeFollowedByTheCloseBracket) {
    try {
        omCursorOn("<!-- a -- b -->x").cursor.skip_comment();
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), char_error('>'));
    }
}

TEST(ReaderComments, AnUnclosedCommentRunsOffTheEnd) {
    EXPECT_THROW(omCursorOn("<!-- open -").cursor.skip_comment(), omEndException);
}

TEST(ReaderCdata, ReadCdataGivesTheContentBetweenTheMarkers) {
    omCursorOn c("<![CDATA[a<b>&c]]>x");
    EXPECT_EQ(str(c.cursor.read_cdata()), "a<b>&c");
    EXPECT_EQ(c.offset(), 18);
}

TEST(ReaderCdata, AnEmptySection) { EXPECT_EQ(str(omCursorOn("<![CDATA[]]>x").cursor.read_cdata()), ""); }

TEST(ReaderCdata, ContentEndingInABracketStopsAtTheFirstPair) {
    try {
        omCursorOn("<![CDATA[a]]]>x").cursor.read_cdata();
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), char_error('>'));
    }
}

TEST(ReaderCdata, AnUnclosedSectionRunsOffTheEnd) {
    EXPECT_THROW(omCursorOn("<![CDATA[abc").cursor.read_cdata(), omEndException);
}

TEST(ReaderText, AnEmptyElementHasNoTextAndRewinds) {
    omCursorOn c("<a></a>\n");
    c.cursor.object_setup();
    EXPECT_EQ(str(c.cursor.text_node()), "");
    EXPECT_EQ(c.offset(), 3);
}

TEST(ReaderText, RunsAroundAnEmptyChild) {
    EXPECT_EQ(runs_of("<a>hello<b/>world</a>\n"), (Runs{"hello", "world", ""}));
}

TEST(ReaderText, TextNodeStopsOnTheTagThatEndsTheRun) {
    omCursorOn c("<a>hi<b/></a>\n");
    c.cursor.object_setup();
    c.cursor.text_node();
    EXPECT_EQ(c.offset(), 5);
}

TEST(ReaderText, CommentsAreLeftOutOfTheJoinedText) { EXPECT_EQ(runs_of("<a>x<!--c-->y</a>\n"), (Runs{"xy", ""})); }

TEST(ReaderText, CdataContentIsJoinedIntoTheText) {
    EXPECT_EQ(runs_of("<a>x<![CDATA[<b>]]>y</a>\n"), (Runs{"x<b>y", ""}));
}

TEST(ReaderText, EntityReferencesComeBackAsWritten) {
    EXPECT_EQ(runs_of("<a>a&amp;b&#65;</a>\n"), (Runs{"a&amp;b&#65;", ""}));
}

TEST(ReaderText, WhitespaceAfterTheStartTagIsSkippedButNotAfterAChild) {
    EXPECT_EQ(runs_of("<a>\n  head<b>x</b>\n  tail\n</a>\n"), (Runs{"head", "\n  tail\n", ""}));
}

TEST(ReaderText, ChildrenAndCommentsBeforeTheTextAreSteppedOver) {
    EXPECT_EQ(runs_of("<a><b><c/>inner</b><!-- note -->text</a>\n"), (Runs{"text", ""}));
}

TEST(ReaderText, ReadTextJoinsUpToTheNextTag) {
    omCursorOn c("x<!--c-->y<![CDATA[z]]>w<end/>");
    EXPECT_EQ(str(c.cursor.read_text()), "xyzw");
    EXPECT_EQ(c.offset(), 24);
}

TEST(ReaderText, TextThatNeverMeetsATagRunsOffTheEnd) {
    omCursorOn c("<a>abc");
    c.cursor.object_setup();
    EXPECT_THROW(c.cursor.text_node(), omEndException);
}

TEST(ReaderText, AMismatchedClosingTagIsReportedWithItsName) {
    omCursorOn c("<a>x</b>\n");
    c.cursor.object_setup();
    EXPECT_EQ(str(c.cursor.text_node()), "x");
    try {
        c.cursor.text_node();
        FAIL() << "no exception";
    } catch (omException& e) {
        EXPECT_EQ(str(e.explanation()), tag_error("b"));
    }
}
