// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omElementUtest.h"

#include "dom/omCharacterData.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"

#define OM_UTEST_CLASS "omElementUtest"
#include "suites/omUtestCheck.h"

namespace {

std::shared_ptr<omElement> root_of(const std::shared_ptr<omDocument>& document) {
    return document ? document->getDocumentElement() : nullptr;
}

void append(const std::shared_ptr<omNode>& parent, const std::shared_ptr<omNode>& child) {
    if (parent && child)
        parent->appendChild(child);
}

// The item at index, or an empty handle when the list is missing or shorter.
std::shared_ptr<omElement> item_of(const std::shared_ptr<omNodeList>& list, int index) {
    return list && index < list->length() ? list->at(index) : nullptr;
}

} // namespace

omElementUtest::omElementUtest(kuUnitTest* tester) : m_tester(tester) {}

omElementUtest::~omElementUtest() {}

void omElementUtest::run_tests(const omDocumentFactory& factory) const {
    test_select(factory);
    test_zero_length_attribute(factory);
}

void omElementUtest::test_select(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_select);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("root"));
    std::shared_ptr<omElement> root = root_of(document);

    std::shared_ptr<omElement> tag1, tag1_second, tag2, tag3, tag4;
    std::shared_ptr<omTextNode> hello, blank, world, goodbye;
    if (document) {
        tag1 = document->createElement(SYSTRING("tag1"));
        tag1_second = document->createElement(SYSTRING("tag1"));
        tag2 = document->createElement(SYSTRING("tag2"));
        tag3 = document->createElement(SYSTRING("tag3"));
        tag4 = document->createElement(SYSTRING("tag4"));
        hello = document->createTextNode(SYSTRING("Hello"));
        blank = document->createTextNode(SYSTRING(" "));
        world = document->createTextNode(SYSTRING("World"));
        goodbye = document->createTextNode(SYSTRING("Goodbye"));
    }
    // Each subtree is complete before it is attached to the root.
    append(tag1, hello);
    append(tag2, blank);
    append(tag1_second, world);
    append(tag4, goodbye);
    append(tag3, tag4);
    append(root, tag1);
    append(root, tag2);
    append(root, tag1_second);
    append(root, tag3);

    std::shared_ptr<omNodeList> nodes = root ? root->selectNodes(SYSTRING("//root/tag1")) : nullptr;
    OM_CHECK_IF(nodes, nodes->length() == 2, "test number of nodes found");
    OM_CHECK_IF(item_of(nodes, 0), nodes->at(0)->getNodeName() == SYSTRING("tag1"), "test selectNodes | node 0 name");
    OM_CHECK_IF(item_of(nodes, 0), nodes->at(0)->get_text() == SYSTRING("Hello"), "test selectNodes | node 0 text");
    OM_CHECK_IF(item_of(nodes, 1), nodes->at(1)->getNodeName() == SYSTRING("tag1"), "test selectNodes | node 1 name");
    OM_CHECK_IF(item_of(nodes, 1), nodes->at(1)->get_text() == SYSTRING("World"), "test selectNodes | node 1 text");

    std::shared_ptr<omElement> node = root ? root->selectSingleNode(SYSTRING("//root/tag1")) : nullptr;
    OM_CHECK(node.get(), "test node found");
    OM_CHECK_IF(node, node->getNodeName() == SYSTRING("tag1"), "test selectSingleNode | name");
    OM_CHECK_IF(node, node->get_text() == SYSTRING("Hello"), "test selectSingleNode | text");

    nodes = root ? root->selectNodes(SYSTRING("//root/bob")) : nullptr;
    OM_CHECK_IF(nodes, nodes->isEmpty(), "test nodes found from bad xpath");
    node = root ? root->selectSingleNode(SYSTRING("//root/bob")) : nullptr;
    OM_CHECK_IF(root, !node.get(), "test node found from bad xpath");

    nodes = tag3 ? tag3->selectNodes(SYSTRING("//tag3/tag4")) : nullptr;
    OM_CHECK_IF(nodes, nodes->length() == 1, "test number of nodes found");
    OM_CHECK_IF(item_of(nodes, 0), nodes->at(0)->getNodeName() == SYSTRING("tag4"), "test selectNodes | node 0 name");
    OM_CHECK_IF(item_of(nodes, 0), nodes->at(0)->get_text() == SYSTRING("Goodbye"), "test selectNodes | node 0 text");

    node = tag3 ? tag3->selectSingleNode(SYSTRING("//tag3/tag4")) : nullptr;
    OM_CHECK_IF(node, node->getNodeName() == SYSTRING("tag4"), "test selectSingleNode | name");
    OM_CHECK_IF(node, node->get_text() == SYSTRING("Goodbye"), "test selectSingleNode | text");
}

void omElementUtest::test_zero_length_attribute(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_zero_length_attribute);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("root"));
    std::shared_ptr<omElement> root = root_of(document);
    const syString name = SYSTRING("attribute_name");
    const syString value = SYSTRING("");
    if (root)
        root->setAttribute(name, value);
    syString returned_value = root ? root->getAttribute(name) : syString();
    OM_CHECK_IF(root, returned_value == value, "test zero length attribute value");
}
