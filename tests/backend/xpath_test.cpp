// XPath selection through selectNodes and selectSingleNode.

#include <string>

#include <gtest/gtest.h>

#include "tests/backend/backend_test_support.h"

namespace {

class XPath : public ::testing::Test {
protected:
    void SetUp() override {
        omParseError error;
        document = load_xml("<root xmlns:p='urn:p'><tag1 k='1'>Hello</tag1><tag2> </tag2><tag1 k='2'>World</tag1>"
                            "<tag3><tag4>Goodbye</tag4></tag3><p:x>ns</p:x></root>",
                            error);
        ASSERT_TRUE(document) << utf8(error.message());
        root = document->getDocumentElement();
    }
    std::shared_ptr<omDocument> document;
    std::shared_ptr<omElement> root;
};

TEST_F(XPath, MatchesComeInDocumentOrderAndDoubleSlashStartsAtTheRoot) {
    std::shared_ptr<omNodeList> nodes = root->selectNodes(SYSTRING("//root/tag1"));
    ASSERT_EQ(nodes->length(), 2);
    EXPECT_EQ(utf8(nodes->at(1)->get_text()), "World");
    EXPECT_EQ(utf8(root->selectSingleNode(SYSTRING("//root/tag1"))->get_text()), "Hello");
    std::shared_ptr<omElement> tag3 = root->selectSingleNode(SYSTRING("tag3"));
    ASSERT_TRUE(tag3);
    EXPECT_EQ(tag3->selectNodes(SYSTRING("//tag1"))->length(), 2);
    EXPECT_EQ(tag3->selectNodes(SYSTRING("tag4"))->length(), 1);
}

TEST_F(XPath, NoMatchOrBadExpressionGivesAnEmptyList) {
    for (const char* expression : {"//root/bob", "//[", "count(//tag1)", ""}) {
        std::shared_ptr<omNodeList> nodes = root->selectNodes(wide(expression));
        ASSERT_TRUE(nodes) << expression;
        EXPECT_TRUE(nodes->isEmpty()) << expression;
        EXPECT_FALSE(root->selectSingleNode(wide(expression))) << expression;
    }
}

TEST_F(XPath, AttributesTextAndPrefixesCanBeSelected) {
    std::shared_ptr<omNodeList> values = root->selectNodes(SYSTRING("//tag1/@k"));
    ASSERT_EQ(values->length(), 2);
    EXPECT_EQ(utf8(values->at(1)->getNodeValue()), "2");
    EXPECT_EQ(utf8(values->at(1)->getNodeName()), "k");
    std::shared_ptr<omNodeList> texts = root->selectNodes(SYSTRING("tag1/text()"));
    ASSERT_EQ(texts->length(), 2);
    EXPECT_EQ(utf8(texts->at(0)->get_xml()), "Hello");
    std::shared_ptr<omElement> prefixed = root->selectSingleNode(SYSTRING("p:x"));
    ASSERT_TRUE(prefixed);
    EXPECT_EQ(utf8(prefixed->get_text()), "ns");
    EXPECT_EQ(root->selectNodes(SYSTRING("//namespace::*"))->length(), 0);
}

TEST_F(XPath, ResultsSurviveTreeChanges) {
    std::shared_ptr<omNodeList> nodes = root->selectNodes(SYSTRING("//tag4"));
    root->set_text(SYSTRING("all gone"));
    ASSERT_EQ(nodes->length(), 1);
    EXPECT_EQ(utf8(nodes->at(0)->get_text()), "Goodbye");
    EXPECT_TRUE(root->selectNodes(SYSTRING("//tag4"))->isEmpty());
}

TEST_F(XPath, ElementsByTagNameIncludeTheRoot) {
    EXPECT_EQ(document->getElementsByTagName(SYSTRING("root"))->length(), 1);
    EXPECT_EQ(document->getElementsByTagName(SYSTRING("tag1"))->length(), 2);
    EXPECT_EQ(document->getElementsByTagName(SYSTRING("p:x"))->length(), 1);
    EXPECT_EQ(document->getElementsByTagName(SYSTRING("*"))->length(), 7);
    EXPECT_EQ(root->getElementsByTagName(SYSTRING("root"))->length(), 0);
}

} // namespace
