// The simple reader through its factory: walking, reading and misuse.
#include <gtest/gtest.h>

#include "reader/reader_support.h"

namespace {

const std::string kDecl = "<?xml version=\"1.0\"?>\n";

} // namespace

TEST(ReaderWalk, ALoopOfDownToAndUpVisitsLikeChildrenAndRewinds) {
    auto r = reader_on(kDecl + "<!-- head -->\n<list>one\n  <item>a</item>\n  <other/>two<item>b</item>\n</list>\n");
    EXPECT_EQ(str(r->encoding()), "Unknown");
    EXPECT_TRUE(r->read_file());
    EXPECT_EQ(str(r->encoding()), "utf-8");
    ASSERT_TRUE(r->down_to(ku_lit("li")));
    EXPECT_EQ(str(r->text_node()), "one\n  ");
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::string> seen;
        while (r->down_to(ku_lit("item"))) {
            seen.push_back(str(r->text_node()));
            r->up();
        }
        EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
    }
    r->up();
    EXPECT_FALSE(r->has_error_occurred());
    r->up();
    EXPECT_EQ(dumped(*r), "Incorrect xml nesting");
}

TEST(ReaderWalk, SelfClosingElementsIncludingTheRoot) {
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

    auto root = read_reader_on(kDecl + "<root a=\"1\"/>");
    ASSERT_TRUE(root->down_to(ku_lit("root")));
    EXPECT_EQ(str(root->attribute(ku_lit("a"), ku_lit(""))), "1");
    EXPECT_EQ(str(root->attribute(ku_lit("b"), ku_lit("d"))), "d");
    EXPECT_EQ(str(root->text_node()), "");
    EXPECT_FALSE(root->down_to(ku_lit("child")));
    root->up();
    EXPECT_FALSE(root->has_error_occurred());
    EXPECT_TRUE(root->down_to(ku_lit("root")));
}

TEST(ReaderMisuse, BeforeReadFileAndWithNothingEntered) {
    auto r = reader_on(kDecl + "<r a=\"1\">t</r>\n");
    EXPECT_FALSE(r->down_to(ku_lit("r")));
    EXPECT_FALSE(r->has_error_occurred());
    EXPECT_TRUE(r->read_file());
    EXPECT_EQ(str(r->attribute(ku_lit("a"), ku_lit("d"))), "d");
    EXPECT_EQ(dumped(*r), "Incorrect xml nesting");
    auto t = read_reader_on(kDecl + "<r/>\n");
    EXPECT_EQ(str(t->text_node()), "");
    t->up();
    EXPECT_EQ(dumped(*t), "Incorrect xml nesting");
    auto before = reader_on(kDecl + "<r/>\n");
    EXPECT_EQ(str(before->text_node()), "");
    EXPECT_TRUE(before->has_error_occurred());
    EXPECT_TRUE(before->read_file());
    EXPECT_TRUE(before->has_error_occurred());
    EXPECT_FALSE(before->down_to(ku_lit("r")));
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
