// The checked expressions are reported as written, blanks included.
// clang-format off
#include "suites/omNodeListUtest.h"

#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNodeList.h"

#define OM_UTEST_CLASS "omNodeListUtest"
#include "suites/omUtestCheck.h"

namespace {

std::shared_ptr<omElement> root_of(const std::shared_ptr<omDocument>& document) {
    return document ? document->getDocumentElement() : nullptr;
}

std::shared_ptr<omNodeList> children_of(const std::shared_ptr<omElement>& node) {
    return node ? node->getChildNodes() : nullptr;
}

// Appends an element for each name, in order.
void append_names(const std::shared_ptr<omDocument>& document, const std::shared_ptr<omElement>& root,
                  const syString (&names)[3]) {
    if (!root)
        return;
    for (const syString& name : names)
        if (std::shared_ptr<omNode> child = document->createElement(name))
            root->appendChild(child);
}

} // namespace

omNodeListUtest::omNodeListUtest(kuUnitTest* tester) : m_tester(tester) {}

omNodeListUtest::~omNodeListUtest() {}

void omNodeListUtest::run_tests(const omDocumentFactory& factory) const {
    test_access(factory);
    test_iteration(factory);
    test_next_node(factory);
}

void omNodeListUtest::test_access(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_access);
    const syString names[3] = {SYSTRING("Child1"), SYSTRING("Child2"), SYSTRING("Child3")};
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNodeList> children = children_of(root);
    OM_CHECK_IF(children, !children->length(), "test length when empty");

    append_names(document, root, names);
    children = children_of(root);
    OM_CHECK(children.get(), "test pointer");
    OM_CHECK_IF(children, children->length() == 3, "test length");
    for (int i = 0; i < 3; ++i) {
        const char* description = kuUnitTest::build_varargs("test name %d", i);
        OM_CHECK_IF(children && i < children->length() && children->at(i),
                    children->at(i)->getNodeName() == names[i], description);
    }
}

void omNodeListUtest::test_iteration(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_iteration);
    const syString names[3] = {SYSTRING("Child1"), SYSTRING("Child2"), SYSTRING("Child3")};
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNodeList> children = children_of(root);
    OM_CHECK_IF(children, !++(*children), "test iterate empty list");
    if (children)
        children->reset();
    OM_CHECK_IF(children, !++(*children), "test iterate empty list after reset");

    append_names(document, root, names);
    children = children_of(root);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < i; ++j) {
            // The item at the cursor is only asked for where operator++ said it stands on one.
            const bool moved = OM_CHECK_IF(children, ++(*children), kuUnitTest::build_varargs("test iterate %d %d", i, j));
            OM_CHECK_IF(moved && (*children)(), (*children)()->getNodeName() == names[j],
                        kuUnitTest::build_varargs("test name %d %d", i, j));
        }
        if (children)
            children->reset();
        for (int j = 0; j < 3; ++j) {
            const bool moved =
                OM_CHECK_IF(children, ++(*children), kuUnitTest::build_varargs("test iterate after reset %d %d", i, j));
            OM_CHECK_IF(moved && (*children)(), (*children)()->getNodeName() == names[j],
                        kuUnitTest::build_varargs("test name after reset %d %d", i, j));
        }
        OM_CHECK_IF(children, !++(*children), "test iterate at list end");
    }
}

void omNodeListUtest::test_next_node(const omDocumentFactory& factory) const {
    OM_UTEST_FUNCTION(test_next_node);
    const syString names[3] = {SYSTRING("Child1"), SYSTRING("Child2"), SYSTRING("Child3")};
    std::shared_ptr<omDocument> document = factory.createDocument(SYSTRING("Test"));
    std::shared_ptr<omElement> root = root_of(document);
    std::shared_ptr<omNodeList> children = children_of(root);
    std::shared_ptr<omNode> child = children ? children->next_node() : nullptr;
    OM_CHECK_IF(children, !child.get(), "test next node empty list");
    child = children ? children->next_node() : nullptr;
    OM_CHECK_IF(children, !child.get(), "test next node empty list");
    if (children)
        children->reset();
    child = children ? children->next_node() : nullptr;
    OM_CHECK_IF(children, !child.get(), "test next node empty list after reset");

    append_names(document, root, names);
    children = children_of(root);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < i; ++j) {
            child = children ? children->next_node() : nullptr;
            OM_CHECK(child.get(), kuUnitTest::build_varargs("test next node %d %d", i, j));
            OM_CHECK_IF(child, child->getNodeName() == names[j], kuUnitTest::build_varargs("test name %d %d", i, j));
        }
        if (children)
            children->reset();
        for (int j = 0; j < 3; ++j) {
            child = children ? children->next_node() : nullptr;
            OM_CHECK(child.get(), kuUnitTest::build_varargs("test next node after reset %d %d", i, j));
            OM_CHECK_IF(child, child->getNodeName() == names[j],
                        kuUnitTest::build_varargs("test name after reset %d %d", i, j));
        }
        child = children ? children->next_node() : nullptr;
        OM_CHECK_IF(children, !child.get(), "test next node at list end");
    }
}
