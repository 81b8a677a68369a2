// The simple reader through its factory: walking, reading and the
// neutral answers of the failed state.
#include <gtest/gtest.h>

#include "reader/reader_support.h"

namespace {

const std::string kDecl = "<?xml version=\"1.0\"?>\n";

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

} // namespace

TEST(ReaderWalk, EncodingIsUnknownUntilTheDeclarationIsRead) {
    auto r = reader_on(kDecl + "<r/>\n");
    EXPECT_EQ(str(r->encoding()), "Unknown");
    EXPECT_TRUE(r->read_file());
    EXPECT_EQ(str(r->encoding()), "utf-8");
}

TEST(ReaderWalk, DeclaredEncodingsOtherThanUtf16AreAcceptedUnchanged) {
    auto r = read_reader_on("<?xml version=\"1.0\" encoding=\"UTF16\"?>\n<r/>\n");
    EXPECT_EQ(str(r->encoding()), "UTF16");
    EXPECT_EQ(str(read_reader_on("<?xml version=\"1.0\" encoding=\"latin1\"?>\n<r/>\n")->encoding()), "latin1");
}

TEST(ReaderWalk, AConfigurationFile) {
    auto r = read_reader_on(kDecl + "<configuration>\n"
                                    "  <database host=\"db.local\" port='5432'>\n"
                                    "    <name>orders</name>\n"
                                    "  </database>\n"
                                    "</configuration>\n");
    ASSERT_TRUE(r->down_to(ku_lit("configuration")));
    ASSERT_TRUE(r->down_to(ku_lit("database")));
    EXPECT_EQ(str(r->attribute(ku_lit("host"), ku_lit(""))), "db.local");
    EXPECT_EQ(str(r->attribute(ku_lit("port"), ku_lit(""))), "5432");
    EXPECT_EQ(str(r->attribute(ku_lit("user"), ku_lit("none"))), "none");
    ASSERT_TRUE(r->down_to(ku_lit("name")));
    EXPECT_EQ(str(r->text_node()), "orders");
    r->up();
    r->up();
    r->up();
    EXPECT_FALSE(r->has_error_occurred());
}

TEST(ReaderWalk, ALoopOfDownToAndUpVisitsLikeChildrenAndRewinds) {
    auto r = read_reader_on(kDecl + "<list>\n  <item>a</item>\n  <other/>\n  <item>b</item>\n</list>\n");
    ASSERT_TRUE(r->down_to(ku_lit("list")));
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::string> seen;
        while (r->down_to(ku_lit("item"))) {
            seen.push_back(str(r->text_node()));
            r->up();
        }
        EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
    }
    EXPECT_FALSE(r->has_error_occurred());
    r->up();
    EXPECT_FALSE(r->has_error_occurred());
    r->up();
    EXPECT_EQ(dumped(*r), "Incorrect xml nesting");
}

TEST(ReaderWalk, LikeSelfClosingChildren) {
    auto r = read_reader_on(kDecl + "<map><entry key=\"a\"/><entry key=\"b\" /></map>\n");
    ASSERT_TRUE(r->down_to(ku_lit("map")));
    std::vector<std::string> keys;
    while (r->down_to(ku_lit("entry"))) {
        keys.push_back(str(r->attribute(ku_lit("key"), ku_lit("?"))));
        EXPECT_EQ(str(r->attribute(ku_lit("value"), ku_lit("?"))), "?");
        EXPECT_EQ(str(r->text_node()), "");
        EXPECT_FALSE(r->down_to(ku_lit("entry")));
        r->up();
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"a", "b"}));
    r->up();
    EXPECT_FALSE(r->has_error_occurred());
}

TEST(ReaderWalk, ASelfClosingRootAtTheFilesEnd) {
    auto r = read_reader_on(kDecl + "<root a=\"1\"/>");
    ASSERT_TRUE(r->down_to(ku_lit("root")));
    EXPECT_EQ(str(r->attribute(ku_lit("a"), ku_lit(""))), "1");
    EXPECT_EQ(str(r->attribute(ku_lit("b"), ku_lit("d"))), "d");
    EXPECT_EQ(str(r->text_node()), "");
    EXPECT_FALSE(r->down_to(ku_lit("child")));
    r->up();
    EXPECT_FALSE(r->has_error_occurred());
    EXPECT_TRUE(r->down_to(ku_lit("root")));
}

TEST(ReaderWalk, AfterUpFromTheRootTheRootCanBeEnteredAgain) {
    auto r = read_reader_on(kDecl + "<r><a>1</a></r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    r->up();
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("a")));
    EXPECT_EQ(str(r->text_node()), "1");
}

TEST(ReaderWalk, ARootWhoseNameBeginsWithTheNameAskedForIsEntered) {
    auto r = read_reader_on(kDecl + "<configuration/>\n");
    EXPECT_TRUE(r->down_to(ku_lit("config")));
}

TEST(ReaderWalk, CommentsAroundTheRoot) {
    auto r = read_reader_on(kDecl + "<!-- head -->\n<r><!-- in --><a x=\"1\"/></r>\n<!-- tail -->\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("a")));
    EXPECT_EQ(str(r->attribute(ku_lit("x"), ku_lit(""))), "1");
    r->up();
    r->up();
    EXPECT_FALSE(r->has_error_occurred());
}

TEST(ReaderWalk, TextRunsOfTheInnermostElement) {
    auto r = read_reader_on(kDecl + "<r>one<b/>two<!-- c -->three</r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    EXPECT_EQ(str(r->text_node()), "one");
    EXPECT_EQ(str(r->text_node()), "twothree");
    EXPECT_EQ(str(r->text_node()), "");
}

TEST(ReaderWalk, UpStepsOverAHundredThousandDeepChild) {
    const int depth = 100000;
    auto r = read_reader_on(kDecl + "<r><d>" + repeat("<d>", depth) + repeat("</d>", depth) + "</d><x>v</x></r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("d")));
    r->up();
    ASSERT_TRUE(r->down_to(ku_lit("x")));
    EXPECT_EQ(str(r->text_node()), "v");
    EXPECT_FALSE(r->has_error_occurred());
}

// ---- misuse ----------------------------------------------------------------

TEST(ReaderMisuse, DownToBeforeReadFileIsFalseAndRecordsNothing) {
    auto r = reader_on(kDecl + "<r/>\n");
    EXPECT_FALSE(r->down_to(ku_lit("r")));
    EXPECT_FALSE(r->has_error_occurred());
    EXPECT_TRUE(r->read_file());
    EXPECT_TRUE(r->down_to(ku_lit("r")));
}

TEST(ReaderMisuse, ReadingWithNothingEnteredRecordsTheNestingError) {
    auto r = read_reader_on(kDecl + "<r a=\"1\">t</r>\n");
    EXPECT_EQ(str(r->attribute(ku_lit("a"), ku_lit("d"))), "d");
    EXPECT_EQ(dumped(*r), "Incorrect xml nesting");
    auto t = read_reader_on(kDecl + "<r a=\"1\">t</r>\n");
    EXPECT_EQ(str(t->text_node()), "");
    EXPECT_EQ(dumped(*t), "Incorrect xml nesting");
    auto before = reader_on(kDecl + "<r/>\n");
    EXPECT_EQ(str(before->text_node()), "");
    EXPECT_TRUE(before->has_error_occurred());
}

TEST(ReaderMisuse, UpWithNothingEnteredIsRecordedOnce) {
    auto r = read_reader_on(kDecl + "<r/>\n");
    r->up();
    EXPECT_TRUE(r->has_error_occurred());
    r->up();
    EXPECT_EQ(dumped(*r), "Incorrect xml nesting");
}

TEST(ReaderMisuse, ASecondReadFileLeavesEveryEnteredElement) {
    auto r = read_reader_on(kDecl + "<r><a><b>t</b></a></r>\n");
    omCursorWatch watch(omCursorWatch::cursor_sized);
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("a")));
    ASSERT_TRUE(r->down_to(ku_lit("b")));
    r->up();
    EXPECT_EQ(watch.alive(), 3);
    EXPECT_TRUE(r->read_file());
    // Only the new document-level cursor is left.
    EXPECT_EQ(watch.alive(), 1);
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("a")));
    EXPECT_TRUE(r->down_to(ku_lit("b")));
    EXPECT_EQ(str(r->text_node()), "t");
}

TEST(ReaderMisuse, ASecondReadFileKeepsTheFailedState) {
    auto r = read_reader_on(kDecl + "<r/>\n");
    r->up();
    EXPECT_TRUE(r->read_file());
    EXPECT_TRUE(r->has_error_occurred());
    EXPECT_FALSE(r->down_to(ku_lit("r")));
}

// ---- the failed state ------------------------------------------------------

TEST(ReaderFailed, EveryWalkingOperationAnswersNeutrally) {
    auto r = read_reader_on(kDecl + "<r><a x=\"1\">t</b></r>\n");
    ASSERT_TRUE(r->down_to(ku_lit("r")));
    ASSERT_TRUE(r->down_to(ku_lit("a")));
    EXPECT_EQ(str(r->text_node()), "t");
    EXPECT_EQ(str(r->text_node()), "");
    EXPECT_EQ(dumped(*r), tag_error("b"));
    EXPECT_EQ(str(r->attribute(ku_lit("x"), ku_lit("default"))), "default");
    EXPECT_EQ(str(r->text_node()), "");
    EXPECT_FALSE(r->down_to(ku_lit("a")));
    r->up();
    EXPECT_EQ(dumped(*r), tag_error("b"));
}

TEST(ReaderFailed, DumpWritesTheTextsInTheOrderRecorded) {
    auto r = reader_on("<?xml versio=\"1.0\"?>\n<r/>\n");
    r->up();
    EXPECT_FALSE(r->read_file());
    EXPECT_FALSE(r->read_file());
    EXPECT_EQ(dumped(*r), "Incorrect xml nesting" + char_error('n') + char_error('n'));
}
