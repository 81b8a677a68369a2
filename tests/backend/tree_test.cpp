// Tree editing, attributes, text, XPath results and handle lifetime in the
// back-end.
#include "support.h"

namespace {

std::string names_of(const std::shared_ptr<omNode>& parent) {
    std::string names;
    std::shared_ptr<omNodeList> children = parent->getChildNodes();
    for (int i = 0; i < children->length(); ++i)
        names += (i ? "," : "") + narrow(children->at(i)->getNodeName());
    return names;
}

class Tree : public ::testing::Test {
protected:
    std::shared_ptr<omNode> element(const char* name) { return document->createElement(wide(name)); }
    std::shared_ptr<omDocument> document = backend().createDocument(SYSTRING("root"));
    std::shared_ptr<omNode> root = document->getDocumentElement();
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
    EXPECT_EQ(narrow(replaced->getNodeName()), "c");
    EXPECT_FALSE(replaced->getParentNode());
    EXPECT_EQ(names_of(root), "a,b");
    // Removed nodes stay usable and can go back into the tree.
    auto removed = root->removeChild(a);
    ASSERT_TRUE(removed);
    EXPECT_FALSE(removed->getParentNode());
    EXPECT_EQ(narrow(removed->get_text()), "kept");
    EXPECT_FALSE(root->removeChild(a)); // no longer a child
    EXPECT_FALSE(root->replaceChild(element("d"), element("e")));
    EXPECT_TRUE(root->appendChild(removed));
    EXPECT_EQ(names_of(root), "b,a");
}

TEST_F(Tree, TheDocumentElementCanBeReplaced) {
    std::shared_ptr<omNode> old_root = root;
    std::shared_ptr<omNode> new_root = element("new-root");
    EXPECT_TRUE(document->replaceChild(new_root, old_root));
    EXPECT_EQ(narrow(document->getDocumentElement()->getNodeName()), "new-root");
    EXPECT_FALSE(old_root->getParentNode());
    EXPECT_EQ(narrow(document->get_xml()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<new-root/>\n");
}

TEST_F(Tree, MisuseRaisesAssertionsAndChangesNothing) {
    auto a = root->appendChild(element("a"));
    auto b = a->appendChild(element("b"));
    AssertCounter asserts;
    EXPECT_FALSE(b->appendChild(root)); // an ancestor
    EXPECT_FALSE(a->appendChild(a));    // itself
    auto other = backend().createDocument(SYSTRING("other"));
    EXPECT_FALSE(root->appendChild(other->getDocumentElement())); // another document
    EXPECT_FALSE(root->appendChild(nullptr));
    std::shared_ptr<omNode> text = document->createTextNode(SYSTRING("t"));
    EXPECT_FALSE(text->appendChild(element("x"))); // text has no children
    EXPECT_FALSE(document->appendChild(element("second-root")));
    EXPECT_FALSE(document->appendChild(text)); // text outside the document element
    EXPECT_FALSE(document->createElement(SYSTRING("1bad")));
    EXPECT_FALSE(document->createProcessingInstruction(SYSTRING("XmL"), SYSTRING("d")));
    document->getDocumentElement()->setAttribute(SYSTRING("<x"), SYSTRING("v"));
    EXPECT_EQ(asserts.count(), 10);
    EXPECT_FALSE(root->hasAttributes());
    EXPECT_EQ(names_of(root), "a");
    EXPECT_EQ(narrow(document->get_xml()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><a><b/></a></root>\n");
    // Only getFirstChild of a childless node asserts; the other steps just give nothing.
    EXPECT_FALSE(b->getFirstChild());
    EXPECT_FALSE(b->getLastChild());
    EXPECT_FALSE(b->getNextSibling());
    EXPECT_EQ(asserts.count(), 11);
}

TEST_F(Tree, HandlesOutliveTheDocumentHandle) {
    auto child = root->appendChild(element("child"));
    child->set_text(SYSTRING("text"));
    EXPECT_TRUE(*root->getFirstChild() == *child);
    EXPECT_FALSE(*child == *root);
    EXPECT_FALSE(document->getOwnerDocument());
    std::shared_ptr<omNode> detached = element("detached");
    document.reset();
    root.reset();
    EXPECT_EQ(narrow(child->getParentNode()->getNodeName()), "root");
    EXPECT_EQ(narrow(detached->getNodeName()), "detached");
    EXPECT_EQ(narrow(child->getOwnerDocument()->getDocumentElement()->get_text()), "text");
}

TEST_F(Tree, TextNodesNormalizeSetTextAndEscapes) {
    std::shared_ptr<omNode> one = document->createTextNode(SYSTRING("one"));
    std::shared_ptr<omNode> two = document->createTextNode(SYSTRING("two"));
    root->appendChild(one);
    root->appendChild(document->createTextNode(SYSTRING("")));
    root->appendChild(two);
    root->appendChild(element("x"));
    root->appendChild(document->createTextNode(SYSTRING("")));
    document->getDocumentElement()->normalize();
    EXPECT_EQ(names_of(root), "#text,x");
    EXPECT_EQ(narrow(one->get_text()), "onetwo");
    EXPECT_FALSE(two->getParentNode());
    EXPECT_EQ(narrow(two->get_text()), "two");
    // set_text replaces every child; old handles survive.
    auto y = root->getLastChild();
    root->set_text(wide("New & <text>\r\nline"));
    EXPECT_EQ(names_of(root), "#text");
    EXPECT_FALSE(y->getParentNode());
    EXPECT_EQ(narrow(root->get_xml()), "<root>New &amp; &lt;text&gt;&#13;\nline</root>");
    EXPECT_EQ(narrow(root->getFirstChild()->get_xml()), "New &amp; &lt;text&gt;&#13;\nline");
    EXPECT_EQ(narrow(load(narrow(root->get_xml())).root()->get_text()), "New & <text>\r\nline");
    EXPECT_EQ(narrow(document->createComment(SYSTRING("a & <b>"))->get_xml()), "<!--a & <b>-->");
}

TEST_F(Tree, LoadedNodesNamesTextAndElementsByTagName) {
    Loaded doc = load("<r xmlns:p='urn:p'><x>1</x><p:x>2</p:x><a><![CDATA[<c>]]><x>3</x></a></r>");
    ASSERT_TRUE(doc.document) << doc.message();
    EXPECT_EQ(narrow(doc.root()->get_text()), "12<c>3");
    EXPECT_EQ(narrow(doc.root()->getLastChild()->getFirstChild()->getNodeName()), "#cdata-section");
    EXPECT_EQ(doc.document->getElementsByTagName(SYSTRING("x"))->length(), 2);
    EXPECT_EQ(doc.root()->getElementsByTagName(SYSTRING("p:x"))->length(), 1);
    EXPECT_EQ(doc.document->getElementsByTagName(SYSTRING("*"))->length(), 5);
    EXPECT_EQ(doc.root()->getElementsByTagName(SYSTRING("r"))->length(), 0);
}

TEST_F(Tree, StaleListsMapsAndXPathResultsStaySafe) {
    auto a = root->appendChild(element("a"));
    a->appendChild(element("x"));
    std::shared_ptr<omNodeList> children = a->getChildNodes();
    std::dynamic_pointer_cast<omElement>(a)->setAttribute(SYSTRING("k"), SYSTRING("v"));
    std::shared_ptr<omNamedNodeMap> attributes = a->getAttributes();
    std::shared_ptr<omNodeList> selected = document->getDocumentElement()->selectNodes(SYSTRING("//x"));
    root->set_text(SYSTRING("gone"));
    ASSERT_EQ(children->length(), 1);
    EXPECT_EQ(narrow(children->at(0)->getNodeName()), "x");
    ASSERT_EQ(selected->length(), 1);
    EXPECT_EQ(narrow(selected->at(0)->getNodeName()), "x");
    EXPECT_EQ(narrow(attributes->getNamedItem(SYSTRING("k"))->getNodeValue()), "v");
    EXPECT_TRUE(document->getDocumentElement()->selectNodes(SYSTRING("//x"))->isEmpty());
}

TEST_F(Tree, Attributes) {
    Loaded doc = load("<r xmlns:ab='urn:ab' xmlns:a='urn:a' ab:x='1' y='2'/>");
    ASSERT_TRUE(doc.document) << doc.message();
    std::shared_ptr<omElement> r = doc.root();
    EXPECT_EQ(narrow(r->getAttribute(SYSTRING("ab:x"))), "1");
    EXPECT_FALSE(r->hasAttribute(SYSTRING("a:x")));
    EXPECT_FALSE(r->hasAttribute(SYSTRING("x")));
    EXPECT_EQ(narrow(r->getAttributeNode(SYSTRING("y"))->get_xml()), "y=\"2\"");
    EXPECT_EQ(narrow(r->selectNodes(SYSTRING("@*"))->at(1)->getNodeValue()), "2");
    // Moving attributes between elements; a replaced one is free to go elsewhere.
    std::shared_ptr<omNamedNodeMap> attributes = r->getAttributes();
    std::shared_ptr<omNode> y = attributes->removeNamedItem(SYSTRING("y"));
    ASSERT_TRUE(y);
    std::shared_ptr<omElement> other = doc.document->createElement(SYSTRING("other"));
    other->setAttribute(SYSTRING("y"), SYSTRING("old"));
    other->setAttribute(SYSTRING("z"), SYSTRING("last"));
    std::shared_ptr<omNode> replaced = other->getAttributes()->setNamedItem(y);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(narrow(replaced->getNodeValue()), "old");
    EXPECT_EQ(narrow(other->get_xml()), "<other y=\"2\" z=\"last\"/>");
    std::shared_ptr<omElement> third = doc.document->createElement(SYSTRING("third"));
    third->getAttributes()->setNamedItem(replaced);
    EXPECT_EQ(narrow(third->getAttribute(SYSTRING("y"))), "old");
    AssertCounter asserts;
    EXPECT_FALSE(attributes->removeNamedItem(SYSTRING("absent")));
    EXPECT_FALSE(third->setAttributeNode(other->getAttributeNode(SYSTRING("z")))); // in use
    EXPECT_EQ(asserts.count(), 2);
    // Markup characters in values are escaped and load back.
    other->setAttribute(SYSTRING("e"), wide("&<>\"'\r\n\t"));
    EXPECT_EQ(narrow(load(narrow(other->get_xml())).root()->getAttribute(SYSTRING("e"))), "&<>\"'\r\n\t");
}

TEST_F(Tree, ClonesAndMovedElementsKeepTheirNamespaces) {
    Loaded doc = load("<r xmlns:p='urn:p'><holder><p:a p:k='v'>x<b/></p:a></holder></r>");
    ASSERT_TRUE(doc.document) << doc.message();
    std::shared_ptr<omNode> holder = doc.root()->getFirstChild();
    std::shared_ptr<omNode> a = holder->getFirstChild();
    EXPECT_EQ(narrow(a->get_xml()), "<p:a xmlns:p=\"urn:p\" p:k=\"v\">x<b/></p:a>");
    EXPECT_EQ(narrow(a->cloneNode(false)->get_xml()), "<p:a xmlns:p=\"urn:p\" p:k=\"v\"/>");
    std::shared_ptr<omNode> removed = holder->removeChild(a);
    doc.root()->set_text(SYSTRING(""));
    doc.root()->appendChild(removed);
    Loaded again = load(narrow(doc.document->get_xml()));
    ASSERT_TRUE(again.document) << again.message();
    EXPECT_EQ(narrow(again.root()->getFirstChild()->getNodeName()), "p:a");
}

TEST_F(Tree, TextSurvivesTheWayThroughUtf8) {
    // Runs of ASCII of every length up to 20 between letters of one to four bytes.
    std::wstring text;
    const std::wstring others[] = {L"\u00E9", L"\u0800", L"\u20AC", L"\U0001F600"};
    for (int run = 0; run <= 20; ++run) {
        text.append(static_cast<std::size_t>(run), L'a');
        text += others[run % 4];
    }
    syString value{std::wstring(text)};
    root->set_text(value);
    EXPECT_TRUE(root->get_text() == value);
    EXPECT_TRUE(load(narrow(document->get_xml())).root()->get_text() == value);
}

} // namespace
