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

std::string explanation_of(void (*step)(omTestCursor&), const std::string& xml) {
    omCursorOn c(xml);
    try {
        step(c.cursor);
    } catch (omException& e) {
        return str(e.explanation());
    }
    return "no exception";
}

using Runs = std::vector<std::string>;

} // namespace

TEST(ReaderText, CommentsAndCdataSections) {
    omCursorOn comment("<!---->x");
    comment.cursor.skip_comment();
    EXPECT_EQ(comment.offset(), 7);
    omCursorOn cdata("<![CDATA[a<b>&c]]>x");
    EXPECT_EQ(str(cdata.cursor.read_cdata()), "a<b>&c");
    EXPECT_EQ(cdata.offset(), 18);
    auto skip_comment = [](omTestCursor& c) { c.skip_comment(); };
    auto read_cdata = [](omTestCursor& c) { c.read_cdata(); };
    EXPECT_EQ(explanation_of(skip_comment, "<!-- a -- b -->x"), char_error('>'));
    EXPECT_EQ(explanation_of(skip_comment, "<!-- open -"), kEndError);
    EXPECT_EQ(explanation_of(read_cdata, "<![CDATA[a]]]>x"), char_error('>'));
    EXPECT_EQ(explanation_of(read_cdata, "<![CDATA[abc"), kEndError);
}

TEST(ReaderText, RunsAreJoinedAcrossCommentsAndCdata) {
    EXPECT_EQ(runs_of("<a></a>\n"), (Runs{""}));
    EXPECT_EQ(runs_of("<a>hello<b/>world</a>\n"), (Runs{"hello", "world", ""}));
    EXPECT_EQ(runs_of("<a>x<!--c-->y<![CDATA[<b>]]>z</a>\n"), (Runs{"xy<b>z", ""}));
    EXPECT_EQ(runs_of("<a>a&amp;b&#65;</a>\n"), (Runs{"a&amp;b&#65;", ""}));
    EXPECT_EQ(runs_of("<a>\n  head<b>x</b>\n  tail\n</a>\n"), (Runs{"head", "\n  tail\n", ""}));
    EXPECT_EQ(runs_of("<a><b><c/>inner</b><!-- note -->text</a>\n"), (Runs{"text", ""}));
    omCursorOn c("x<!--c-->y<![CDATA[z]]>w<end/>");
    EXPECT_EQ(str(c.cursor.read_text()), "xyzw");
    EXPECT_EQ(c.offset(), 24);
}
