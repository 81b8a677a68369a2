// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omNamedNodeMapUtest.h"

#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNamedNodeMap.h"

#define OM_UTEST_CLASS "omNamedNodeMapUtest"
#include "suites/omUtestCheck.h"

namespace {

std::shared_ptr<omElement> root_of(const std::shared_ptr<omDocument>& document) {
    return document ? document->getDocumentElement() : nullptr;
}

std::shared_ptr<omNamedNodeMap> attributes_of(const std::shared_ptr<omElement>& element) {
    return element ? element->getAttributes() : nullptr;
}

void set(const std::shared_ptr<omElement>& element, const syString& name, const syString& value) {
    if (element)
        element->setAttribute(name, value);
}

} // namespace

omNamedNodeMapUtest::omNamedNodeMapUtest(kuUnitTest* tester) : m_tester(tester) {}

omNamedNodeMapUtest::~omNamedNodeMapUtest() {}

void omNamedNodeMapUtest::run_tests(const omDocumentFactory& factory) const {
    test_getLength(factory);
    test_iteration(factory);
    test_getNamedItem(factory);
    test_removeNamedItem(factory);
    test_setNamedItem(factory);
}

void omNamedNodeMapUtest::test_getLength(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_getLength);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNamedNodeMap> attributes = attributes_of(root);
    OM_CHECK_IF(attributes, !attributes->getLength(), "test initial length");
    set(root, SYSTRING("N1"), SYSTRING("V1"));
    OM_CHECK_IF(attributes, attributes->getLength() == 1, "test length | 1");
    set(root, SYSTRING("N2"), SYSTRING("V2"));
    OM_CHECK_IF(attributes, attributes->getLength() == 2, "test length | 2");
}

void omNamedNodeMapUtest::test_iteration(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_iteration);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = root_of(document);
    set(root, SYSTRING("N1"), SYSTRING("V1"));
    set(root, SYSTRING("N2"), SYSTRING("V2"));
    std::shared_ptr<omNamedNodeMap> attributes = attributes_of(root);
    bool found[2] = {false, false};

    const int length = attributes ? attributes->getLength() : 0;
    for (int index = 0; index < length; ++index) {
        std::shared_ptr<omNode> node = attributes->item(index);
        if (!node)
            continue;
        const syString name = node->getNodeName();
        if (name == SYSTRING("N1")) {
            OM_CHECK(node->getNodeValue() == SYSTRING("V1"), "test N1 value");
            found[0] = true;
        } else if (name == SYSTRING("N2")) {
            OM_CHECK(node->getNodeValue() == SYSTRING("V2"), "test N2 value");
            found[1] = true;
        }
    }
    OM_CHECK(found[0] && found[1], "test iteration returned all nodes");
}

void omNamedNodeMapUtest::test_getNamedItem(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_getNamedItem);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNamedNodeMap> attributes = attributes_of(root);
    std::shared_ptr<omNode> node0 = attributes ? attributes->getNamedItem(SYSTRING("N0")) : nullptr;
    OM_CHECK_IF(attributes, !node0.get(), "test getNamedItem | empty");

    set(root, SYSTRING("N1"), SYSTRING("V1"));
    set(root, SYSTRING("N2"), SYSTRING("V2"));

    std::shared_ptr<omNode> node1 = attributes ? attributes->getNamedItem(SYSTRING("N1")) : nullptr;
    OM_CHECK(node1.get(), "test getNamedItem | N1");
    OM_CHECK_IF(node1, node1->getNodeValue() == SYSTRING("V1"), "test getNamedItem value | N1");
    std::shared_ptr<omNode> node2 = attributes ? attributes->getNamedItem(SYSTRING("N2")) : nullptr;
    OM_CHECK(node2.get(), "test getNamedItem | N2");
    OM_CHECK_IF(node2, node2->getNodeValue() == SYSTRING("V2"), "test getNamedItem value | N2");
    std::shared_ptr<omNode> node3 = attributes ? attributes->getNamedItem(SYSTRING("N3")) : nullptr;
    OM_CHECK_IF(attributes, !node3.get(), "test getNamedItem | non existent");
}

void omNamedNodeMapUtest::test_removeNamedItem(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_removeNamedItem);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNamedNodeMap> attributes = attributes_of(root);
    set(root, SYSTRING("N1"), SYSTRING("V1"));
    set(root, SYSTRING("N2"), SYSTRING("V2"));

    std::shared_ptr<omNode> node1 = attributes ? attributes->removeNamedItem(SYSTRING("N1")) : nullptr;
    OM_CHECK(node1.get(), "test removeNamedItem | N1");
    OM_CHECK_IF(node1, node1->getNodeValue() == SYSTRING("V1"), "test removeNamedItem value | N1");
    OM_CHECK_IF(attributes, attributes->getLength() == 1, "test getLength after removeNamedItem");
    OM_CHECK_IF(attributes, !attributes->getNamedItem(SYSTRING("N1")).get(), "test getNamedItem on removed item");
    OM_CHECK_IF(attributes, attributes->getNamedItem(SYSTRING("N2")),
                "test getNamedItem on item left after removeNamedItem");

    kuUnitTest* tester = kuUnitTest::get_tester();
    if (tester)
        tester->expect_assert_min(1);
    if (attributes)
        attributes->removeNamedItem(SYSTRING("N3"));
    if (tester)
        tester->check_assert();
}

void omNamedNodeMapUtest::test_setNamedItem(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_setNamedItem);
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNamedNodeMap> attributes = attributes_of(root);

    set(root, SYSTRING("N1"), SYSTRING("V1"));
    std::shared_ptr<omNode> attr1 = attributes ? attributes->removeNamedItem(SYSTRING("N1")) : nullptr;

    std::shared_ptr<omNode> attr2;
    {
        std::shared_ptr<omElement> other = document ? document->createElement(SYSTRING("N1")) : nullptr;
        set(other, SYSTRING("N1"), SYSTRING("V2"));
        std::shared_ptr<omNamedNodeMap> other_attributes = attributes_of(other);
        attr2 = other_attributes ? other_attributes->removeNamedItem(SYSTRING("N1")) : nullptr;
    }

    OM_PREREQUISITE_IF(attributes, !attributes->getLength(), "Prerequisite: length should be zero");

    std::shared_ptr<omNode> added_node1 = attributes && attr1 ? attributes->setNamedItem(attr1) : nullptr;
    OM_CHECK_IF(attributes && attr1, !added_node1.get(), "test setNamedItem return value | insert");
    OM_CHECK_IF(attributes, attributes->getLength() == 1, "test length after setNamedItem | insert");
    OM_CHECK_IF(attributes && attributes->getNamedItem(SYSTRING("N1")),
                attributes->getNamedItem(SYSTRING("N1"))->getNodeValue() == SYSTRING("V1"),
                "test value of setNamedItem node | insert");

    std::shared_ptr<omNode> added_node2 = attributes && attr2 ? attributes->setNamedItem(attr2) : nullptr;
    OM_CHECK(added_node2.get(), "test setNamedItem return value | replace");
    OM_CHECK_IF(added_node2, added_node2->getNodeValue() == SYSTRING("V1"), "test setNamedItem | replaced node value");
    OM_CHECK_IF(attributes, attributes->getLength() == 1, "test length after setNamedItem | replace");
    OM_CHECK_IF(attributes && attributes->getNamedItem(SYSTRING("N1")),
                attributes->getNamedItem(SYSTRING("N1"))->getNodeValue() == SYSTRING("V2"),
                "test value of setNamedItem node | replace");
}
