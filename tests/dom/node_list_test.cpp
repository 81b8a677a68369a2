// The cursor of omNodeList over the back-end's child lists.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/backend/backend_test_support.h"

namespace {

std::vector<std::string> walk_with_increment(omNodeList& list) {
    std::vector<std::string> names;
    while (++list)
        names.push_back(utf8(list()->getNodeName()));
    return names;
}

std::vector<std::string> walk_with_next_node(omNodeList& list) {
    std::vector<std::string> names;
    while (std::shared_ptr<omElement> item = list.next_node())
        names.push_back(utf8(item->getNodeName()));
    return names;
}

class NodeListCursor : public ::testing::Test {
protected:
    void SetUp() override {
        document = test_factory()->createDocument(SYSTRING("Test"));
        root = document->getDocumentElement();
    }

    std::shared_ptr<omDocument> document;
    std::shared_ptr<omElement> root;
    const std::vector<std::string> all{"Child1", "Child2", "Child3"};
};

TEST_F(NodeListCursor, EmptyListNeverStandsOnAnItem) {
    std::shared_ptr<omNodeList> children = root->getChildNodes();
    ASSERT_TRUE(children);
    EXPECT_TRUE(children->isEmpty());
    EXPECT_TRUE(children->invalid());
    EXPECT_FALSE(++(*children));
    EXPECT_FALSE(++(*children));
    EXPECT_FALSE(children->next_node());
    EXPECT_FALSE(children->at(0));
}

TEST_F(NodeListCursor, WalksOnceThenStartsOver) {
    for (const char* name : {"Child1", "Child2", "Child3"})
        root->appendChild(as_node(document->createElement(wide(name))));
    std::shared_ptr<omNodeList> children = root->getChildNodes();
    EXPECT_TRUE(children->invalid()); // before the first item
    EXPECT_EQ(walk_with_increment(*children), all);
    EXPECT_TRUE(children->invalid());
    // Past the end the next step starts at the first item again.
    ASSERT_TRUE(++(*children));
    EXPECT_EQ(utf8((*children)()->getNodeName()), "Child1");
    ASSERT_TRUE(++(*children));
    children->reset();
    EXPECT_EQ(walk_with_next_node(*children), all);
    EXPECT_FALSE(children->next_node() == nullptr); // starts over after the end
    children->reset();
    EXPECT_EQ(walk_with_increment(*children), all);
    EXPECT_FALSE(children->at(-1));
    EXPECT_FALSE(children->at(3));
}

// A list whose length can change under the cursor, as a live list of another back-end could.
class ShrinkingList : public omNodeList {
public:
    std::shared_ptr<omElement> at(int) override { return nullptr; }
    int length() const override { return n; }
    int n = 3;
};

TEST(NodeListCursorShrinking, CursorBeyondTheEndStartsOver) {
    ShrinkingList list;
    EXPECT_TRUE(++list);
    EXPECT_TRUE(++list);
    EXPECT_TRUE(++list); // on item 2
    list.n = 1;
    EXPECT_TRUE(list.invalid());
    EXPECT_TRUE(++list); // beyond the shorter end the walk starts over at item 0
    EXPECT_FALSE(list.invalid());
    EXPECT_FALSE(++list);
}

} // namespace
