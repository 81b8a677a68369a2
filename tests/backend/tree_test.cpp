// Tree editing, node identity and handle lifetime in the libxml2 back-end.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/backend/backend_test_support.h"

namespace {

std::string names_of(const std::shared_ptr<omNode>& parent) {
    std::string names;
    std::shared_ptr<omNodeList> children = parent->getChildNodes();
    for (int i = 0; i < children->length(); ++i)
        names += (i ? "," : "") + utf8(children->at(i)->getNodeName());
    return names;
}

class Tree : public ::testing::Test {
protected:
    void SetUp() override {
        document = test_factory()->createDocument(SYSTRING("root"));
        root = document->getDocumentElement();
    }
    std::shared_ptr<omNode> element(const char* name) { return document->createElement(wide(name)); }

    std::shared_ptr<omDocument> document;
    std::shared_ptr<omNode> root;
};

TEST_F(Tree, InsertMoveRemoveAndReplace) {
    auto a = root->appendChild(element("a"));
    a->set_text(SYSTRING("kept"));
    EXPECT_TRUE(root->insertBefore(element("b"), a));
    EXPECT_TRUE(root->insertBefore(element("c"), nullptr));
    EXPECT_FALSE(root->insertBefore(element("d"), element("never-inserted")));
    EXPECT_TRUE(root->insertBefore(a, a)); // before itself: no change
    EXPECT_EQ(names_of(root), "b,a,c");
    root->insertBefore(root->getLastChild(), root->getFirstChild()); // a move
    EXPECT_EQ(names_of(root), "c,b,a");
    auto replaced = root->replaceChild(root->getLastChild(), root->getFirstChild());
    ASSERT_TRUE(replaced);
    EXPECT_EQ(utf8(replaced->getNodeName()), "c");
    EXPECT_FALSE(replaced->getParentNode());
    EXPECT_EQ(names_of(root), "a,b");
    // Removed nodes stay usable and can go back into the tree.
    auto removed = root->removeChild(a);
    ASSERT_TRUE(removed);
    EXPECT_FALSE(removed->getParentNode());
    EXPECT_EQ(utf8(removed->get_text()), "kept");
    EXPECT_FALSE(root->removeChild(a)); // no longer a child
    EXPECT_FALSE(root->replaceChild(element("d"), element("e")));
    EXPECT_TRUE(root->appendChild(removed));
    EXPECT_EQ(names_of(root), "b,a");
}

TEST_F(Tree, IdentityIsTheNodeAndHandlesOutliveTheDocumentHandle) {
    auto child = root->appendChild(element("child"));
    child->set_text(SYSTRING("text"));
    auto first = root->getFirstChild();
    EXPECT_NE(first.get(), child.get());
    EXPECT_TRUE(*first == *child);
    EXPECT_TRUE(*child->getParentNode() == *root);
    EXPECT_FALSE(*child == *root);
    auto other = test_factory()->createDocument(SYSTRING("root"));
    EXPECT_FALSE(*other->getDocumentElement() == *root);
    std::shared_ptr<omNode> detached = element("detached");
    document.reset();
    root.reset();
    EXPECT_EQ(utf8(child->get_text()), "text");
    ASSERT_TRUE(child->getParentNode());
    EXPECT_EQ(utf8(child->getParentNode()->getNodeName()), "root");
    EXPECT_EQ(utf8(detached->getNodeName()), "detached");
    EXPECT_EQ(utf8(child->getOwnerDocument()->getDocumentElement()->getNodeName()), "root");
}

TEST_F(Tree, MisuseRaisesAssertionsAndChangesNothing) {
    auto a = root->appendChild(element("a"));
    auto b = a->appendChild(element("b"));
    AssertCounter asserts;
    EXPECT_FALSE(b->appendChild(root)); // an ancestor
    EXPECT_FALSE(a->appendChild(a));    // itself
    auto other = test_factory()->createDocument(SYSTRING("other"));
    EXPECT_FALSE(root->appendChild(as_node(other->getDocumentElement()))); // another document
    EXPECT_FALSE(root->appendChild(nullptr));
    std::shared_ptr<omNode> text = document->createTextNode(SYSTRING("t"));
    EXPECT_FALSE(text->appendChild(element("x"))); // text has no children
    EXPECT_FALSE(document->appendChild(element("second-root")));
    EXPECT_FALSE(document->createElement(SYSTRING("1bad")));
    document->getDocumentElement()->setAttribute(SYSTRING("<x"), SYSTRING("v"));
    EXPECT_EQ(asserts.count(), 8);
    EXPECT_FALSE(root->hasAttributes());
    EXPECT_EQ(names_of(root), "a");
    // Only getFirstChild of a childless node asserts; the other steps just give nothing.
    EXPECT_FALSE(b->getFirstChild());
    EXPECT_EQ(asserts.count(), 9);
    EXPECT_FALSE(b->getLastChild());
    EXPECT_FALSE(b->getNextSibling());
    EXPECT_FALSE(b->getPreviousSibling());
    EXPECT_EQ(asserts.count(), 9);
}

TEST_F(Tree, AdjacentTextNodesKeepTheirOwnIdentity) {
    std::shared_ptr<omNode> one = document->createTextNode(SYSTRING("one"));
    std::shared_ptr<omNode> two = document->createTextNode(SYSTRING("two"));
    root->appendChild(one);
    root->appendChild(two);
    EXPECT_EQ(root->getChildNodes()->length(), 2);
    std::shared_ptr<omElement> element_root = document->getDocumentElement();
    element_root->normalize();
    EXPECT_EQ(root->getChildNodes()->length(), 1);
    EXPECT_EQ(utf8(one->get_text()), "onetwo");
    EXPECT_FALSE(two->getParentNode());
    EXPECT_EQ(utf8(two->get_text()), "two");
}

TEST_F(Tree, SetTextReplacesAllChildrenAndOldHandlesSurvive) {
    auto a = root->appendChild(element("a"));
    a->appendChild(element("x"));
    auto y = a->appendChild(element("y"));
    y->set_text(SYSTRING("old"));
    a->set_text(SYSTRING("New & <text>"));
    EXPECT_EQ(a->getChildNodes()->length(), 1);
    EXPECT_EQ(utf8(a->get_text()), "New & <text>");
    EXPECT_FALSE(y->getParentNode());
    EXPECT_EQ(utf8(y->get_text()), "old");
    EXPECT_EQ(utf8(a->get_xml()), "<a>New &amp; &lt;text&gt;</a>");
}

TEST_F(Tree, StaleListsAndMapsStaySafe) {
    auto a = root->appendChild(element("a"));
    a->appendChild(element("x"));
    std::shared_ptr<omNodeList> children = a->getChildNodes();
    std::shared_ptr<omElement> element_a = std::dynamic_pointer_cast<omElement>(a);
    ASSERT_TRUE(element_a);
    element_a->setAttribute(SYSTRING("k"), SYSTRING("v"));
    std::shared_ptr<omNamedNodeMap> attributes = a->getAttributes();
    root->set_text(SYSTRING("gone"));
    // The list was taken before the change: its item is detached, not freed.
    ASSERT_EQ(children->length(), 1);
    EXPECT_EQ(utf8(children->at(0)->getNodeName()), "x");
    EXPECT_EQ(attributes->getLength(), 1);
    EXPECT_EQ(utf8(attributes->getNamedItem(SYSTRING("k"))->getNodeValue()), "v");

    // An item that no handle refers to survives the change while its list lives.
    root->appendChild(element("b"));
    std::shared_ptr<omNodeList> top = root->getChildNodes();
    ASSERT_EQ(top->length(), 2);
    root->set_text(SYSTRING("again"));
    EXPECT_EQ(utf8(top->at(1)->getNodeName()), "b");
    top.reset();
    root->appendChild(element("c"));
    root->set_text(SYSTRING("freed"));
    EXPECT_EQ(utf8(root->get_text()), "freed");
}

TEST_F(Tree, AttributeMapIsLiveAndRemovingAbsentNameAsserts) {
    std::shared_ptr<omElement> element_root = document->getDocumentElement();
    std::shared_ptr<omNamedNodeMap> attributes = root->getAttributes();
    EXPECT_EQ(attributes->getLength(), 0);
    element_root->setAttribute(SYSTRING("N1"), SYSTRING("V1"));
    element_root->setAttribute(SYSTRING("N2"), SYSTRING("V2"));
    EXPECT_EQ(attributes->getLength(), 2);
    std::shared_ptr<omNode> removed = attributes->removeNamedItem(SYSTRING("N1"));
    ASSERT_TRUE(removed);
    EXPECT_EQ(utf8(removed->getNodeValue()), "V1");
    EXPECT_FALSE(element_root->hasAttribute(SYSTRING("N1")));
    {
        AssertCounter asserts;
        EXPECT_FALSE(attributes->removeNamedItem(SYSTRING("N3")));
        EXPECT_EQ(asserts.count(), 1);
    }
    // A removed attribute can be set into another element's map.
    auto other = std::dynamic_pointer_cast<omElement>(element("other"));
    other->setAttribute(SYSTRING("N2"), SYSTRING("old"));
    std::shared_ptr<omNode> replaced = other->getAttributes()->setNamedItem(removed);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(utf8(other->getAttribute(SYSTRING("N1"))), "V1");
    std::shared_ptr<omNode> n2 = attributes->removeNamedItem(SYSTRING("N2"));
    replaced = other->getAttributes()->setNamedItem(n2);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(utf8(replaced->getNodeValue()), "old");
    EXPECT_EQ(utf8(other->getAttribute(SYSTRING("N2"))), "V2");
    // An attribute that belongs to an element cannot be set into another.
    AssertCounter asserts;
    EXPECT_FALSE(element_root->setAttributeNode(other->getAttributeNode(SYSTRING("N1"))));
    EXPECT_EQ(asserts.count(), 1);
}

TEST_F(Tree, MarkupCharactersAreEscapedAndLoadBack) {
    std::shared_ptr<omElement> element_root = document->getDocumentElement();
    element_root->setAttribute(SYSTRING("Escapees"), SYSTRING("&<>\"'"));
    element_root->setAttribute(SYSTRING("empty"), SYSTRING(""));
    element_root->setAttribute(SYSTRING("amp"), SYSTRING("&amp;"));
    omParseError error;
    std::shared_ptr<omDocument> reloaded = load_xml(utf8(element_root->get_xml()), error);
    ASSERT_TRUE(reloaded) << utf8(error.message());
    std::shared_ptr<omElement> copy = reloaded->getDocumentElement();
    EXPECT_EQ(utf8(copy->getAttribute(SYSTRING("Escapees"))), "&<>\"'");
    EXPECT_EQ(utf8(copy->getAttribute(SYSTRING("amp"))), "&amp;");
    EXPECT_TRUE(copy->hasAttribute(SYSTRING("empty")));
    std::shared_ptr<omTextNode> text = document->createTextNode(SYSTRING("Some & text < and > stuff"));
    std::shared_ptr<omCommentNode> comment = document->createComment(SYSTRING("Some & comment < and > stuff"));
    EXPECT_EQ(utf8(text->get_xml()), "Some &amp; text &lt; and &gt; stuff");
    EXPECT_EQ(utf8(text->getData()), "Some & text < and > stuff");
    EXPECT_EQ(utf8(comment->get_xml()), "<!--Some & comment < and > stuff-->");
}

TEST_F(Tree, InheritedNamespacesTravelWithTheElement) {
    omParseError error;
    std::shared_ptr<omDocument> doc =
        load_xml("<r xmlns:p='urn:p'><holder><p:a p:k='v'>x</p:a></holder><target/></r>", error);
    ASSERT_TRUE(doc) << utf8(error.message());
    std::shared_ptr<omElement> r = doc->getDocumentElement();
    std::shared_ptr<omNode> holder = r->getFirstChild();
    std::shared_ptr<omNode> a = holder->getFirstChild();
    // Written on its own, the element declares the prefix it uses.
    std::shared_ptr<omDocument> alone = load_xml(utf8(a->get_xml()), error);
    ASSERT_TRUE(alone) << utf8(error.message());
    EXPECT_EQ(utf8(alone->getDocumentElement()->getAttribute(SYSTRING("p:k"))), "v");
    // Moved, then its old surroundings are freed: it still knows its namespace.
    std::shared_ptr<omNode> removed = holder->removeChild(a);
    r->set_text(SYSTRING("cleared"));
    EXPECT_EQ(utf8(removed->getNodeName()), "p:a");
    r->set_text(SYSTRING(""));
    r->appendChild(removed);
    std::shared_ptr<omDocument> again = load_xml(utf8(doc->get_xml()), error);
    ASSERT_TRUE(again) << utf8(error.message());
    EXPECT_EQ(utf8(again->getDocumentElement()->getFirstChild()->getNodeName()), "p:a");
}

TEST_F(Tree, CloneMakesADetachedCopy) {
    auto a = root->appendChild(element("a"));
    std::dynamic_pointer_cast<omElement>(a)->setAttribute(SYSTRING("k"), SYSTRING("v"));
    a->appendChild(element("b"));
    std::shared_ptr<omNode> deep = a->cloneNode(true);
    std::shared_ptr<omNode> shallow = a->cloneNode(false);
    EXPECT_FALSE(*deep == *a);
    EXPECT_EQ(utf8(deep->get_xml()), "<a k=\"v\"><b/></a>");
    EXPECT_EQ(utf8(shallow->get_xml()), "<a k=\"v\"/>");
}

TEST_F(Tree, TextSurvivesTheWayThroughUtf8) {
    // Runs of ASCII of every length up to 20 between letters of one to four bytes.
    std::wstring text;
    const wchar_t others[] = {0xE9, 0x444, 0x20AC, 0x1F600};
    for (int run = 0; run <= 20; ++run) {
        text.append(static_cast<std::size_t>(run), L'a');
        text += others[run % 4];
    }
    syString value{std::wstring(text)};
    root->set_text(value);
    EXPECT_TRUE(root->get_text() == value);
    EXPECT_TRUE(root->getFirstChild()->get_xml() == value);
    std::shared_ptr<omDocument> reloaded = load_xml(utf8(document->get_xml()));
    ASSERT_TRUE(reloaded);
    EXPECT_TRUE(reloaded->getDocumentElement()->get_text() == value);
}

} // namespace
